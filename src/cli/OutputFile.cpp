#include "OutputFile.h"

#include "SignalActions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{

// A signal that ends the process must not leave the temporary file behind: a render at
// the size limit takes some 20 s and 2 GB, time enough for a Ctrl-C. While a temporary file
// exists, these signals remove it and then take their previous course. Only what is
// async-signal-safe runs in the handler, over a path copied beforehand.
char g_pendingPath[4096];
std::optional<SignalActions> g_armed;

extern "C" void removePendingFile(int signal)
{
    ::unlink(g_pendingPath);
    g_armed->restore(signal);
    ::raise(signal);
}

void armSignals(const std::string& path)
{
    if (path.size() >= sizeof g_pendingPath)
        return;
    std::memcpy(g_pendingPath, path.c_str(), path.size() + 1);
    g_armed.emplace(SignalActions::ending(), removePendingFile);
}

void disarmSignals()
{
    g_armed.reset();
}

// The mode a new file gets from open() with 0666: the process's umask applies.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

OutputFile::OutputFile(std::string path) : m_path(std::move(path)), m_target(m_path)
{
}

OutputFile::~OutputFile()
{
    discard();
}

std::string OutputFile::failure(const std::string& reason) const
{
    return "cannot write '" + m_path + "': " + reason;
}

std::string OutputFile::open()
{
    struct stat status {
    };
    mode_t mode = newFileMode();
    if (::lstat(m_path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        std::error_code ec;
        const auto linked = std::filesystem::canonical(m_path, ec);
        if (!ec)
            m_target = linked.string();
    }
    if (::stat(m_target.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode)) {
            m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            return m_fd < 0 ? failure(std::strerror(errno)) : std::string();
        }
        mode = status.st_mode & 07777; // a replaced file keeps its permissions
    }
    const std::filesystem::path target(m_target);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return failure(std::strerror(errno));
    m_temporary = name.data();
    armSignals(m_temporary);
    if (::fchmod(m_fd, mode) != 0) {
        const std::string reason = std::strerror(errno);
        discard();
        return failure(reason);
    }
    return {};
}

std::string OutputFile::commit()
{
    if (m_fd < 0)
        return failure("the file is not open");
    std::string reason;
    // Written through to the disk before it takes the target's name, so that a crash cannot
    // leave an empty or short file under that name either.
    if (!m_temporary.empty() && ::fdatasync(m_fd) != 0 && errno != EINVAL)
        reason = std::strerror(errno);
    if (::close(std::exchange(m_fd, -1)) != 0 && reason.empty())
        reason = std::strerror(errno);
    if (reason.empty() && !m_temporary.empty() &&
        ::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        reason = std::strerror(errno);
    if (!reason.empty()) {
        discard();
        return failure(reason);
    }
    if (!m_temporary.empty())
        disarmSignals();
    m_temporary.clear();
    return {};
}

void OutputFile::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        disarmSignals();
    }
    m_temporary.clear();
}

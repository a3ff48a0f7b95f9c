#include "SafeFileWriter.h"

#include "FileBytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{

std::string reasonOf(int error)
{
    return std::strerror(error != 0 ? error : EIO);
}

// A link is followed to the file it names, through any chain and even where that file does
// not exist yet, so that the link itself is never replaced by a plain file.
std::filesystem::path followLink(const std::filesystem::path& path)
{
    struct stat status {
    };
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    std::error_code ec;
    const auto linked = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : linked;
}

// ".NAME.xxxxxx" in the target's folder: hidden, and on the same filesystem for the rename.
std::string besideName(const std::filesystem::path& target)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::string suffix(6, 'x');
    for (char& c : suffix)
        c = kLetters[random() % (sizeof kLetters - 1)];
    const auto folder = target.has_parent_path() ? target.parent_path() : ".";
    return (folder / ("." + target.filename().string() + "." + suffix)).string();
}

} // namespace

SafeFileWriter::SafeFileWriter(std::filesystem::path path, Special special)
    : m_target(std::move(path)), m_special(special)
{
}

SafeFileWriter::~SafeFileWriter()
{
    discard();
}

std::string SafeFileWriter::open()
{
    discard();
    m_target = followLink(m_target);
    struct stat status {
    };
    const bool exists = ::stat(m_target.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        if (m_special == Special::Refuse)
            return notRegularReason(status.st_mode);
        return openInPlace(false);
    }
    if (exists) {
        // A file that may not be written stays as it is. Non-blocking, as a FIFO may have
        // taken the regular file's place since the stat.
        const int probe = ::open(m_target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (probe < 0)
            return reasonOf(errno);
        ::close(probe);
    }
    const int error = createBeside(exists ? &status : nullptr);
    if (exists && (error == EACCES || error == EPERM))
        return openInPlace(true);
    return error == 0 ? std::string() : reasonOf(error);
}

int SafeFileWriter::createBeside(const struct stat* existing)
{
    // The kernel applies the umask to the mode given here, so the process's umask is never
    // read by changing it (which would race with other threads' file creation).
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = besideName(m_target);
        m_fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (m_fd >= 0) {
            m_pending = std::move(name);
            break;
        }
        if (errno != EEXIST)
            return errno;
    }
    if (m_fd < 0)
        return EEXIST;
    if (existing) {
        // The owner first, as a change of owner clears the set-user-ID bits.
        if (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid())
            (void)::fchown(m_fd, existing->st_uid, existing->st_gid);
        if (::fchmod(m_fd, existing->st_mode & 07777) != 0) {
            const int error = errno;
            discard();
            return error;
        }
    }
    return 0;
}

std::string SafeFileWriter::openInPlace(bool regular)
{
    // A regular file is not truncated here: a caller that fails before writing leaves it
    // whole. commit() cuts off what is left of the old content.
    m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0)
        return reasonOf(errno);
    m_truncateAtCommit = regular;
    return {};
}

std::string SafeFileWriter::commit()
{
    if (m_fd < 0)
        return "the file is not open";
    int error = 0;
    if (m_truncateAtCommit) {
        const off_t end = ::lseek(m_fd, 0, SEEK_CUR);
        if (end < 0 || ::ftruncate(m_fd, end) != 0)
            error = errno;
    }
    // Written through to the disk before it takes the target's name, so that a crash cannot
    // leave an empty or short file under that name either. EINVAL: a filesystem without sync.
    if (error == 0 && (!m_pending.empty() || m_truncateAtCommit) && ::fdatasync(m_fd) != 0 &&
        errno != EINVAL)
        error = errno;
    if (::close(std::exchange(m_fd, -1)) != 0 && error == 0)
        error = errno;
    if (error == 0 && !m_pending.empty() && ::rename(m_pending.c_str(), m_target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        discard();
        return reasonOf(error);
    }
    m_truncateAtCommit = false;
    if (m_pending.empty())
        return {};
    m_pending.clear();
    return syncFolder();
}

std::string SafeFileWriter::syncFolder() const
{
    // The rename is durable only once the folder's entry is on the disk.
    const auto folder = m_target.has_parent_path() ? m_target.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {}; // a folder that may be written but not read: nothing more can be done
    int error = 0;
    if (::fsync(fd) != 0 && errno != EINVAL)
        error = errno;
    ::close(fd);
    return error == 0 ? std::string() : reasonOf(error);
}

void SafeFileWriter::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_pending.empty())
        ::unlink(m_pending.c_str());
    m_pending.clear();
    m_truncateAtCommit = false;
}

std::string writeAllBytes(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return reasonOf(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

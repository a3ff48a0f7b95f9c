#include "OutputFile.h"

#include <csignal>
#include <cstring>
#include <iterator>
#include <unistd.h>
#include <utility>

namespace
{

// A signal that ends the process must not leave the temporary file behind: a render at
// the size limit takes some 20 s and 2 GB, time enough for a Ctrl-C. While a temporary file
// exists, these signals remove it and then take their previous course. Only what is
// async-signal-safe runs in the handler, over a path copied beforehand.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
char g_pendingPath[4096];
struct sigaction g_previous[std::size(kEndingSignals)];
bool g_armed[std::size(kEndingSignals)];

extern "C" void removePendingFile(int signal)
{
    ::unlink(g_pendingPath);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (kEndingSignals[i] == signal)
            ::sigaction(signal, &g_previous[i], nullptr);
    ::raise(signal);
}

void armSignals(const std::string& path)
{
    if (path.size() >= sizeof g_pendingPath)
        return;
    std::memcpy(g_pendingPath, path.c_str(), path.size() + 1);
    struct sigaction action {
    };
    action.sa_handler = removePendingFile;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        // A signal that the caller ignores stays ignored.
        g_armed[i] = ::sigaction(kEndingSignals[i], nullptr, &g_previous[i]) == 0 &&
                     g_previous[i].sa_handler != SIG_IGN &&
                     ::sigaction(kEndingSignals[i], &action, nullptr) == 0;
    }
}

void disarmSignals()
{
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (std::exchange(g_armed[i], false))
            ::sigaction(kEndingSignals[i], &g_previous[i], nullptr);
}

} // namespace

OutputFile::OutputFile(std::string path)
    : m_path(std::move(path)), m_writer(m_path, SafeFileWriter::Special::WriteInPlace)
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
    if (const std::string reason = m_writer.open(); !reason.empty())
        return failure(reason);
    if (!m_writer.pendingPath().empty())
        armSignals(m_writer.pendingPath());
    return {};
}

std::string OutputFile::commit()
{
    const std::string reason = m_writer.commit();
    disarmSignals();
    return reason.empty() ? std::string() : failure(reason);
}

void OutputFile::discard()
{
    m_writer.discard();
    disarmSignals();
}

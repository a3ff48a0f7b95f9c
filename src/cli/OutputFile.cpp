#include "OutputFile.h"

#include "SignalActions.h"

#include <cstring>
#include <iterator>
#include <optional>
#include <unistd.h>
#include <utility>

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

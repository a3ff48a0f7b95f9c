#include "OutputFile.h"

#include "PathText.h"
#include "ProcessSignals.h"

#include <utility>

namespace
{

// A signal that ends the process must not leave the temporary file behind: a render at the
// size limit takes some 20 s and 2 GB, time enough for a Ctrl-C.
void armSignals(const std::string& path)
{
    ProcessSignals::setPendingFile(path);
}

void disarmSignals()
{
    ProcessSignals::setPendingFile({});
}

} // namespace

OutputFile::OutputFile(std::string path)
    : m_path(std::move(path)), m_writer(pathFromText(m_path), SafeFileWriter::Special::WriteInPlace)
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

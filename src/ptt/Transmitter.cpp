#include "Transmitter.h"

#include "PttLine.h"

Transmitter::Transmitter(PttLine& line, std::function<void(const std::string&)> onReleaseFailure)
    : m_line(line), m_onReleaseFailure(std::move(onReleaseFailure))
{
}

Transmitter::~Transmitter()
{
    if (!m_keyed)
        return;
    std::string error;
    try {
        error = m_line.unkey();
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "the transmitter could not be released";
    }
    if (!error.empty() && m_onReleaseFailure)
        m_onReleaseFailure(error);
}

std::string Transmitter::key()
{
    // Marked before the attempt: a line that failed after raising the pin is still released.
    m_keyed = true;
    return m_line.key();
}

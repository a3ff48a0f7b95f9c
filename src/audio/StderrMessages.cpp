#include "StderrMessages.h"

#include <iostream>
#include <regex>

namespace
{

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string oneLine(const std::string& text)
{
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        line += (text[i] == '\n' || text[i] == '\r') ? ' ' : text[i];
    }
    return line;
}

// The playback cycle's numbered reports: "N. waveOutStep failed - " and the code, report 4
// with "1 - " between.
const std::regex kReport(R"(^([1-5])\. waveOut[A-Za-z]+ failed - (?:1 - )?\s*(-?[0-9]+)$)");

} // namespace

StderrMessages::StderrMessages() : m_stream(std::cerr)
{
}

StderrMessages::StderrMessages(std::ostream& stream, Reasons reasons)
    : m_stream(stream), m_reasons(std::move(reasons))
{
}

void StderrMessages::show(const std::string& text, const std::string& title, Icon icon)
{
    const std::string name = trimmed(title);
    if (!name.empty())
        m_stream << name << ": ";
    if (icon == Icon::Critical)
        m_stream << "error: ";
    m_stream << oneLine(text);
    std::smatch report;
    if (m_reasons && std::regex_match(text, report, kReport))
        m_stream << " (" << m_reasons(std::stoi(report[1]), std::stoi(report[2])) << ')';
    m_stream << std::endl;
}

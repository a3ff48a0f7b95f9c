#include "StderrMessages.h"

#include <iostream>

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
    m_stream << oneLine(text) << std::endl;
}

void StderrMessages::showReport(const std::string& text, const std::string& title, int step,
                                std::int32_t code)
{
    if (!m_reasons) {
        show(text, title, Icon::Critical);
        return;
    }
    show(text + " (" + m_reasons(step, code) + ")", title, Icon::Critical);
}

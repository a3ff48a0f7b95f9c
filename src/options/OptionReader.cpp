#include "OptionReader.h"

#include "DurationText.h"
#include "OptionTable.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

bool OptionReader::isSet(const char* name) const
{
    return m_table.isSet(name);
}

std::string OptionReader::value(const char* name) const
{
    return m_table.value(name);
}

void OptionReader::number(const char* name, double& value, double lowest, double highest,
                          const char* what)
{
    if (!isSet(name) || m_error)
        return;
    const std::string text = m_table.value(name);
    const auto read = parseDurationText(text);
    if (!read)
        fail(name, text, std::string("is not ") + what + " (" + kNumberSyntax + ")");
    else if (*read < lowest)
        fail(name, text,
             lowest == 0 ? "is negative" : "is less than " + std::to_string(std::lround(lowest)));
    else if (*read > highest)
        fail(name, text, "is more than " + std::to_string(std::lround(highest)));
    else
        value = *read;
}

void OptionReader::count(const char* name, int& value, int lowest, const char* what)
{
    if (!isSet(name) || m_error)
        return;
    // Digits with an optional sign and blanks around them, as a whole number was read before.
    const std::string text = m_table.value(name);
    std::size_t start = text.find_first_not_of(" \t\n\r\f\v");
    std::size_t end = text.find_last_not_of(" \t\n\r\f\v");
    const std::string trimmed =
        start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
    char* stop = nullptr;
    errno = 0;
    const long long read = std::strtoll(trimmed.c_str(), &stop, 10);
    const bool whole =
        !trimmed.empty() && *stop == '\0' && errno == 0 &&
        trimmed.find_first_of("0123456789") == (trimmed[0] == '-' || trimmed[0] == '+') &&
        read >= std::numeric_limits<int>::min() && read <= std::numeric_limits<int>::max();
    if (!whole || read < lowest)
        fail(name, text, what);
    else
        value = static_cast<int>(read);
}

void OptionReader::needs(const char* name, const char* other, bool present)
{
    if (!m_error && isSet(name) && !present)
        m_error = std::string("--") + name + " needs " + other;
}

void OptionReader::fail(const char* name, const std::string& text, const std::string& why)
{
    if (!m_error)
        m_error = std::string("invalid value for --") + name + ": '" + text + "' " + why;
}

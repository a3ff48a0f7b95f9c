#pragma once

#include <limits>
#include <optional>
#include <string>

class OptionTable;

// Reads option values after the parse, keeping the first problem as the usage error. Numbers
// are read as the window's duration boxes take them, in one wording for every option.
class OptionReader
{
public:
    static constexpr double kAny = 1e300;

    explicit OptionReader(const OptionTable& table) : m_table(table) {}

    bool isSet(const char* name) const;
    std::string value(const char* name) const;
    const std::optional<std::string>& error() const { return m_error; }

    // A number from lowest to highest; value is left as it was when the option is not set or
    // its value is refused.
    void number(const char* name, double& value, double lowest = 0,
                double highest = std::numeric_limits<double>::infinity(),
                const char* what = "a number of milliseconds");
    // A whole number from lowest up.
    void count(const char* name, int& value, int lowest, const char* what);
    // An error when the option is set and what it needs (another option) is not there.
    void needs(const char* name, const char* other, bool present);
    void fail(const char* name, const std::string& text, const std::string& why);

private:
    const OptionTable& m_table;
    std::optional<std::string> m_error;
};

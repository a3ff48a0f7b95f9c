#include "DurationText.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <string>

namespace
{

// A valid number that a double cannot hold: without an exponent it is too large only when
// its whole part has a non-zero digit; otherwise it is too small, and reads as 0.
double outOfDoubleRange(std::string_view number)
{
    const bool negative = number.front() == '-';
    const std::string_view whole = number.substr(0, number.find('.'));
    const bool large = whole.find_first_of("123456789") != std::string_view::npos;
    const double magnitude = large ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

} // namespace

std::optional<double> parseDurationText(std::string_view text)
{
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    skipBlanks();
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-')
            number += '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        number += text[i++];
        ++digits;
    }
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        number += '.';
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            number += text[i++];
            ++digits;
        }
    }
    skipBlanks();
    if (digits == 0 || i != text.size())
        return std::nullopt;
    double value = 0;
    // from_chars reads the nearest double, as a text-to-number conversion should.
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ptr != number.data() + number.size())
        return std::nullopt;
    if (result.ec == std::errc::result_out_of_range)
        return outOfDoubleRange(number);
    if (result.ec != std::errc())
        return std::nullopt;
    return value;
}

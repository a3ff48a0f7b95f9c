#pragma once

#include <optional>
#include <string_view>

// Reads a duration in milliseconds as typed in a duration box: optional blanks, an
// optional sign, digits, and an optional fraction after "." or ",", then optional blanks.
// At least one digit is needed. Returns nothing for any other text. A number too large for
// a double reads as an infinity of its sign, which every sample count then refuses as an
// overflow, however many digits it has; one too small reads as 0.
std::optional<double> parseDurationText(std::string_view text);

// The syntax above in the user's words, for the command line's messages. It is the one syntax
// of every measure the command line takes, so that a value typed in the window reads the same
// there; an exponent (1e3) is refused, as a box refuses it.
inline constexpr const char* kNumberSyntax =
    "a decimal number: digits, with an optional fraction after '.' or ','";

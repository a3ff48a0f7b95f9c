#pragma once

#include <optional>
#include <string_view>

// Reads a duration in milliseconds as typed in a duration box: optional blanks, an
// optional sign, digits, and an optional fraction after "." or ",", then optional blanks.
// At least one digit is needed. Returns nothing for any other text. A number too large for
// a double reads as an infinity of its sign, which every sample count then refuses as an
// overflow, however many digits it has; one too small reads as 0.
std::optional<double> parseDurationText(std::string_view text);

#pragma once

#include <optional>
#include <string_view>

// Reads a duration in milliseconds as typed in a duration box: optional blanks, an
// optional sign, digits, and an optional fraction after "." or ",", then optional blanks.
// At least one digit is needed. Returns nothing for any other text.
std::optional<double> parseDurationText(std::string_view text);

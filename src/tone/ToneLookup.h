#pragma once

#include "ToneTable.h"

#include <string_view>

// The tone-set index is the selector's list index: 0 DTMF1, 1 DTMF2, 2.. file sets, -1 none.
// Only the first character of symbolText counts; it must not be empty.

// The first (or only) frequency of the symbol. DTMF2 reads row 0 like DTMF1.
// Throws SubscriptOutOfRangeError for a symbol when the index is outside 0-99.
double FirstToneFreq(const ToneTable& Tones, int toneSetIndex, std::string_view symbolText);

// The second frequency of a DTMF symbol: row 1 for any index of 1 or below, else 0.
double SecondToneFreq(const ToneTable& Tones, int toneSetIndex, std::string_view symbolText);

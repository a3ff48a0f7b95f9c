#pragma once

#include <string>
#include <string_view>

// The renderer works on one byte per character. A text as typed (in the window or on the
// command line) can hold any character; this narrows it to bytes so that it renders as the
// typed text does: a Latin-1 character stays itself, and any other character becomes a byte
// that is neither a symbol nor a blank, chosen so that two neighbours become equal bytes
// only when they were equal characters. The repeat tone compares neighbours, so "Ωπ" stays
// two different silent tones instead of becoming "??", which it would send as "?E".
std::string narrowSequence(std::u32string_view typed);

// A command-line argument in UTF-8 as characters; a byte that starts no valid character reads
// as U+FFFD, as a text box would show it.
std::u32string decodeUtf8(std::string_view bytes);

#pragma once

#include "SequenceText.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The files hold text as the user's editor wrote it: UTF-8 when it is valid as such,
// otherwise single-byte Latin-1, so that no byte is lost. The window's controls hold UTF-8.

// The file's bytes as UTF-8; `latin1` tells whether they were read as Latin-1.
std::string fileTextToUtf8(std::string_view bytes, bool* latin1 = nullptr);
// The text as Latin-1 bytes; nothing when a character lies beyond U+00FF.
std::optional<std::string> utf8ToLatin1(std::string_view utf8);

#pragma once

#include <array>
#include <cstdint>
#include <optional>

inline constexpr int kToneRows = 100;
inline constexpr int kToneColumns = 16;
inline constexpr int kFirstFileRow = 2;
inline constexpr int kMaxFileToneSets = kToneRows - kFirstFileRow;

// Frequencies in hertz: rows are tone sets (0 DTMF low group, 1 DTMF high group,
// 2.. the file's sets), columns the symbols 0-9, A-F. 0 means silence.
using ToneTable = std::array<std::array<std::int16_t, kToneColumns>, kToneRows>;

// The column of a symbol character: '0'-'9' give 0-9, upper-case 'A'-'F' give 10-15.
// Everything else, lower-case letters and the blank included, is no symbol.
constexpr std::optional<int> symbolColumn(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The one record of Quorvel.ini: window left and top in twips, the selector's list index,
// the texts of Text1 to Text4 and the value of chkE.
inline constexpr std::string_view kDefaultSettingsRecord =
    "0,0,2,\"0123456789ABCDEF\",\"70\",\"0\",\"300\",0\r\n";

struct SettingsValues {
    std::int32_t left = 0; // twips; wider than the other numbers, see readPosition
    std::int32_t top = 0;
    std::int16_t index = 0;
    std::array<std::string, 4> texts; // Text1 .. Text4
    std::int16_t check = 0;
};

// The values of the default record.
SettingsValues defaultSettings();

// Reads the record's first eight fields; anything after them is ignored. Empty when the
// file ends before the eighth field or a number field is bad; `problem` then says which.
std::optional<SettingsValues> parseSettingsRecord(std::string_view bytes,
                                                  std::string* problem = nullptr);

// One record, fields separated by single commas, ending in CR LF. Texts are quoted, with a
// quote inside written twice so that the text reads back as it was; a record without such
// quotes is unchanged by this.
std::string formatSettingsRecord(float left, float top, int index,
                                 const std::array<std::string, 4>& texts, int check);

// A single-precision number: whole values with no decimal point, others with "." and the
// fewest digits that read back as the same value. No leading blank, "-" when negative.
std::string formatSingle(float value);

std::string quoteText(std::string_view text);

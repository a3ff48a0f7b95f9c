// Checks the shipped data/TONESETS.INI against the standard selective-calling table.

#include "ToneSetFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace
{

struct StandardSet {
    const char* name;
    int duration;
    int frequencies[16]; // symbols 0-9, A-F
};

// clang-format off
const StandardSet kStandardTable[] = {
    {"ZVEI1", 70, {2400, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 2200, 2800, 810, 970, 885, 2600, 680}},
    {"ZVEI2", 70, {2400, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 2200, 885, 825, 740, 680, 970, 2600}},
    {"ZVEI3", 70, {2400, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 2200, 885, 810, 2800, 680, 970, 2600}},
    {"DZVEI", 70, {2200, 970, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 825, 740, 2600, 885, 2400, 680}},
    {"PZVEI", 100, {2400, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 2200, 970, 810, 2800, 885, 2600, 680}},
    {"CCIR1", 100, {1981, 1124, 1197, 1275, 1358, 1446, 1540, 1640, 1747, 1860, 2400, 930, 2247, 991, 2110, 1055}},
    {"CCIR2", 70, {1981, 1124, 1197, 1275, 1358, 1446, 1540, 1640, 1747, 1860, 2400, 930, 2247, 991, 2110, 1055}},
    {"PCCIR", 100, {1981, 1124, 1197, 1275, 1358, 1446, 1540, 1640, 1747, 1860, 1050, 930, 2400, 991, 2110, 0}},
    {"EEA", 40, {1981, 1124, 1197, 1275, 1358, 1446, 1540, 1640, 1747, 1860, 1055, 930, 2400, 991, 2110, 2247}},
    {"EIA", 33, {600, 741, 882, 1023, 1164, 1305, 1446, 1587, 1728, 1869, 2151, 2433, 2010, 2292, 459, 1091}},
    {"EURO", 100, {980, 903, 833, 767, 707, 652, 601, 554, 511, 471, 434, 400, 369, 1153, 1063, 340}},
    {"NATEL", 70, {1633, 631, 697, 770, 852, 941, 1040, 1209, 1336, 1477, 1995, 571, 2205, 2437, 1805, 2694}},
    {"MODAT", 40, {638, 788, 938, 1088, 1238, 1388, 1538, 1688, 1838, 1988, 0, 0, 0, 0, 488, 0}},
    {"CCITT", 100, {400, 697, 770, 852, 941, 1209, 1335, 1477, 1633, 1800, 1900, 2000, 2100, 2200, 2300, 0}},
};
// clang-format on

TEST(ShippedToneSets, MatchTheStandardTableAndKeepTheirNotes)
{
    std::ifstream in(QUORVEL_SHIPPED_TONESETS, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(text.empty()) << "cannot read " << QUORVEL_SHIPPED_TONESETS;

    const ToneSetParse parsed = parseToneSets(text);
    EXPECT_TRUE(parsed.problems.empty());
    ASSERT_EQ(parsed.sets.size(), std::size(kStandardTable));
    for (std::size_t i = 0; i < parsed.sets.size(); ++i) {
        const StandardSet& want = kStandardTable[i];
        EXPECT_EQ(parsed.sets[i].name, want.name);
        EXPECT_EQ(parsed.sets[i].duration, want.duration) << want.name;
        for (std::size_t s = 0; s < 16; ++s)
            EXPECT_EQ(parsed.sets[i].frequencies[s], want.frequencies[s]) << want.name << " " << s;
    }

    // Plain ASCII with CR LF line ends, and no quote, which would swallow the lines after it.
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool lineEnd =
            (c == '\r' && text[i + 1] == '\n') || (c == '\n' && text[i - 1] == '\r');
        ASSERT_TRUE(lineEnd || (c >= 0x20 && c < 0x7f && c != '"'))
            << "byte " << int(c) << " at " << i;
    }

    // The opening remarks keep the notes on disputed values and call gaps.
    const std::string remarks = text.substr(0, text.find("\r\n>"));
    for (const char* note :
         {"ZVEI2 B is given as 810 or 825", "ZVEI3 is sometimes given", "PZVEI E is given as 2400",
          "2600 is used here", "EURO and MODAT are rounded from fractional hertz", "about 250 ms",
          "EEA and EIA it is about 150 ms"})
        EXPECT_NE(remarks.find(note), std::string::npos) << note;
}

} // namespace

// Checks the shipped data/TONESETS.INI against the standard selective-calling table.

#include "ToneSetFile.h"

#include <array>
#include <cstddef>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace
{

using Frequencies = std::array<int, 16>;

struct ToneSet {
    std::string name;
    int duration = 0;
    Frequencies frequencies{};
};

std::string readShippedFile()
{
    std::ifstream in(QUORVEL_SHIPPED_TONESETS, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << QUORVEL_SHIPPED_TONESETS;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The standard table, as published for selective calling.
std::vector<ToneSet> standardTable()
{
    const Frequencies ccir1 = {1981, 1124, 1197, 1275, 1358, 1446, 1540, 1640,
                               1747, 1860, 2400, 930,  2247, 991,  2110, 1055};
    Frequencies pccir = ccir1;
    const Frequencies pccirLetters = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1050, 930, 2400, 991, 2110, 0};
    for (std::size_t s = 10; s < 16; ++s)
        pccir[s] = pccirLetters[s];
    // clang-format off
    return {
        {"ZVEI1", 70, {2400, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 2200, 2800, 810, 970, 885, 2600, 680}},
        {"ZVEI2", 70, {2400, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 2200, 885, 825, 740, 680, 970, 2600}},
        {"ZVEI3", 70, {2400, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 2200, 885, 810, 2800, 680, 970, 2600}},
        {"DZVEI", 70, {2200, 970, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 825, 740, 2600, 885, 2400, 680}},
        {"PZVEI", 100, {2400, 1060, 1160, 1270, 1400, 1530, 1670, 1830, 2000, 2200, 970, 810, 2800, 885, 2600, 680}},
        {"CCIR1", 100, ccir1},
        {"CCIR2", 70, ccir1},
        {"PCCIR", 100, pccir},
        {"EEA", 40, {1981, 1124, 1197, 1275, 1358, 1446, 1540, 1640, 1747, 1860, 1055, 930, 2400, 991, 2110, 2247}},
        {"EIA", 33, {600, 741, 882, 1023, 1164, 1305, 1446, 1587, 1728, 1869, 2151, 2433, 2010, 2292, 459, 1091}},
        {"EURO", 100, {980, 903, 833, 767, 707, 652, 601, 554, 511, 471, 434, 400, 369, 1153, 1063, 340}},
        {"NATEL", 70, {1633, 631, 697, 770, 852, 941, 1040, 1209, 1336, 1477, 1995, 571, 2205, 2437, 1805, 2694}},
        {"MODAT", 40, {638, 788, 938, 1088, 1238, 1388, 1538, 1688, 1838, 1988, 0, 0, 0, 0, 488, 0}},
        {"CCITT", 100, {400, 697, 770, 852, 941, 1209, 1335, 1477, 1633, 1800, 1900, 2000, 2100, 2200, 2300, 0}},
    };
    // clang-format on
}

TEST(ShippedToneSets, MatchTheStandardTableExactly)
{
    const ToneSetParse parsed = parseToneSets(readShippedFile());
    for (const std::string& problem : parsed.problems)
        ADD_FAILURE() << problem;
    const std::vector<ToneSet> expected = standardTable();
    ASSERT_EQ(parsed.sets.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("set " + std::to_string(i) + " " + expected[i].name);
        EXPECT_EQ(parsed.sets[i].name, expected[i].name);
        EXPECT_EQ(parsed.sets[i].duration, expected[i].duration);
        for (std::size_t s = 0; s < 16; ++s)
            EXPECT_EQ(parsed.sets[i].frequencies[s], expected[i].frequencies[s]) << "symbol " << s;
    }
}

TEST(ShippedToneSets, IsPlainAsciiWithCrLfLineEnds)
{
    const std::string text = readShippedFile();
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r')
            ASSERT_EQ(text[i + 1], '\n') << "lone CR at byte " << i;
        else if (c == '\n')
            ASSERT_EQ(text[i - 1], '\r') << "lone LF at byte " << i;
        else
            ASSERT_TRUE(c >= 0x20 && c < 0x7f) << "byte " << int(c) << " at " << i;
    }
}

TEST(ShippedToneSets, OpensWithRemarksThatKeepTheNotes)
{
    const std::string text = readShippedFile();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text[0], '>');
    // A quote in a remark would swallow the following lines up to the next quote.
    EXPECT_EQ(text.find('"'), std::string::npos);
    const std::string remarks = text.substr(0, text.find("\r\n>"));
    for (const char* note :
         {"ZVEI2 B is given as 810 or 825", "ZVEI3 is sometimes given", "PZVEI E is given as 2400",
          "2600 is used here", "EURO and MODAT are rounded from fractional hertz", "about 250 ms",
          "EEA and EIA it is about 150 ms"})
        EXPECT_NE(remarks.find(note), std::string::npos) << note;
}

} // namespace

// Checks the shipped data/TONESETS.INI against the standard selective-calling table.
// The file is read with a reader of its own, kept apart from the program's, so that a typo in
// the data cannot hide behind the same mistake in the code that reads it.

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

struct ParsedFile {
    std::vector<ToneSet> sets;
    std::vector<std::string> remarks;
    std::vector<std::string> problems;
};

// Field syntax: blanks before a field are skipped; a field in double quotes runs to the next
// quote; any other field runs to a comma or to CR LF. A set is ">name", the duration and 16
// frequencies; a field that does not begin with ">" where a name is expected is a remark.
class FieldReader
{
public:
    explicit FieldReader(std::string text) : m_text(std::move(text)) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    std::string next()
    {
        while (!atEnd() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
        std::string field;
        if (!atEnd() && m_text[m_pos] == '"') {
            const std::size_t close = m_text.find('"', m_pos + 1);
            field = m_text.substr(m_pos + 1, close - m_pos - 1);
            m_pos = close == std::string::npos ? m_text.size() : close + 1;
        }
        while (!atEnd() && m_text[m_pos] != ',' && m_text[m_pos] != '\r' && m_text[m_pos] != '\n')
            field += m_text[m_pos++];
        if (!atEnd() && m_text[m_pos] == ',')
            ++m_pos;
        else if (m_text.compare(m_pos, 2, "\r\n") == 0)
            m_pos += 2;
        else if (!atEnd())
            ++m_pos; // a lone CR or LF; the line-end check reports it
        return field;
    }

private:
    std::string m_text;
    std::size_t m_pos = 0;
};

// Only plain decimal digits pass: no sign, no blanks after the number, nothing beyond 32767.
bool parsePlainNumber(const std::string& field, int& value)
{
    if (field.empty() || field.size() > 5)
        return false;
    value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= 32767;
}

ParsedFile parseToneSets(const std::string& text)
{
    ParsedFile parsed;
    FieldReader reader(text);
    while (!reader.atEnd()) {
        const std::string field = reader.next();
        if (field.empty() || field[0] != '>') {
            parsed.remarks.push_back(field);
            continue;
        }
        ToneSet set;
        set.name = field.substr(1);
        for (int i = 0; i < 17; ++i) {
            if (reader.atEnd()) {
                parsed.problems.push_back(set.name + ": file ends inside the set");
                break;
            }
            const std::string number = reader.next();
            int value = 0;
            if (!parsePlainNumber(number, value))
                parsed.problems.push_back(set.name + ": field " + std::to_string(i + 2) +
                                          " is not a plain number: '" + number + "'");
            (i == 0 ? set.duration : set.frequencies[i - 1]) = value;
        }
        parsed.sets.push_back(set);
    }
    return parsed;
}

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

TEST(ToneSetCheckerReader, ReadsSetsSpreadOverLinesAndDropsRemarks)
{
    const ParsedFile parsed =
        parseToneSets("Tone set definitions\r\n"
                      ">Set A,100\r\n"
                      "400,435,470,505,540,575,610,645,680,715,750,785,820,855,890,925\r\n"
                      "one,two ,three\r\n"
                      "  \">B, with comma\",70,300,320,340,360,380,400,420,440\r\n"
                      "460,480,500,520,540,560,580,600\r\n"
                      "\r\n");
    EXPECT_TRUE(parsed.problems.empty());
    ASSERT_EQ(parsed.sets.size(), 2u);
    EXPECT_EQ(parsed.sets[0].name, "Set A");
    EXPECT_EQ(parsed.sets[0].duration, 100);
    EXPECT_EQ(parsed.sets[0].frequencies[15], 925);
    EXPECT_EQ(parsed.sets[1].name, "B, with comma");
    EXPECT_EQ(parsed.sets[1].duration, 70);
    EXPECT_EQ(parsed.sets[1].frequencies[0], 300);
    EXPECT_EQ(parsed.sets[1].frequencies[15], 600);
    EXPECT_EQ(parsed.remarks.size(), 5u); // one line, three pieces, one empty line
}

TEST(ToneSetCheckerReader, ReportsSignsBlanksOverflowAndTruncatedSets)
{
    const ParsedFile parsed =
        parseToneSets(">X,-70,1 ,40000,x,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n>Y,70,1\r\n");
    ASSERT_EQ(parsed.problems.size(), 5u);
    EXPECT_NE(parsed.problems[0].find("'-70'"), std::string::npos);
    EXPECT_NE(parsed.problems[1].find("'1 '"), std::string::npos);
    EXPECT_NE(parsed.problems[2].find("'40000'"), std::string::npos);
    EXPECT_NE(parsed.problems[3].find("'x'"), std::string::npos);
    EXPECT_NE(parsed.problems[4].find("Y: file ends inside"), std::string::npos);
}

TEST(ShippedToneSets, MatchTheStandardTableExactly)
{
    const ParsedFile parsed = parseToneSets(readShippedFile());
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
    const ParsedFile parsed = parseToneSets(text);
    std::string remarks;
    for (const std::string& remark : parsed.remarks) {
        // A quote would swallow the following lines up to the next quote.
        EXPECT_EQ(remark.find('"'), std::string::npos) << remark;
        remarks += remark + "\n";
    }
    for (const char* note :
         {"ZVEI2 B is given as 810 or 825", "ZVEI3 is sometimes given", "PZVEI E is given as 2400",
          "2600 is used here", "EURO and MODAT are rounded from fractional hertz", "about 250 ms",
          "EEA and EIA it is about 150 ms"})
        EXPECT_NE(remarks.find(note), std::string::npos) << note;
}

} // namespace

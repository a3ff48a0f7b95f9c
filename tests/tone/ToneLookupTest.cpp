#include "ToneLookup.h"

#include "DtmfTable.h"
#include "ToneErrors.h"

#include <gtest/gtest.h>

namespace
{

ToneTable dtmfTable()
{
    ToneTable tones{};
    LoadDtmfTable(tones);
    return tones;
}

TEST(DtmfTable, FillsExactlyTheTwoDtmfRows)
{
    ToneTable tones{};
    for (auto& row : tones)
        row.fill(-7);
    LoadDtmfTable(tones);
    const std::array<std::int16_t, 16> low = {941, 697, 697, 697, 770, 770, 770, 852,
                                              852, 852, 697, 770, 852, 941, 941, 941};
    const std::array<std::int16_t, 16> high = {1336, 1209, 1336, 1477, 1209, 1336, 1477, 1209,
                                               1336, 1477, 1633, 1633, 1633, 1633, 1209, 1477};
    EXPECT_EQ(tones[0], low);
    EXPECT_EQ(tones[1], high);
    for (int row = 2; row < kToneRows; ++row)
        for (int column = 0; column < kToneColumns; ++column)
            ASSERT_EQ(tones[row][column], -7) << row << "," << column;
}

TEST(ToneLookup, BothDtmfSetsGiveTheSamePair)
{
    const ToneTable tones = dtmfTable();
    for (int index : {0, 1}) {
        EXPECT_EQ(FirstToneFreq(tones, index, "5"), 770);
        EXPECT_EQ(SecondToneFreq(tones, index, "5"), 1336);
        EXPECT_EQ(FirstToneFreq(tones, index, "E"), 941);
        EXPECT_EQ(SecondToneFreq(tones, index, "E"), 1209);
        EXPECT_EQ(FirstToneFreq(tones, index, "F"), 941);
        EXPECT_EQ(SecondToneFreq(tones, index, "F"), 1477);
        EXPECT_EQ(FirstToneFreq(tones, index, "0"), 941);
        EXPECT_EQ(SecondToneFreq(tones, index, "D"), 1633);
    }
}

TEST(ToneLookup, DtmfTwoReadsRowZeroNotRowOne)
{
    ToneTable tones = dtmfTable();
    tones[1][5] = 1111;
    EXPECT_EQ(FirstToneFreq(tones, 1, "5"), 770);
    EXPECT_EQ(SecondToneFreq(tones, 1, "5"), 1111);
}

TEST(ToneLookup, FileSetGivesItsRowAndNoSecondTone)
{
    ToneTable tones = dtmfTable();
    tones[2][12] = 2247;
    tones[99][0] = -5; // values are used as they stand, negative ones included
    EXPECT_EQ(FirstToneFreq(tones, 2, "C"), 2247);
    EXPECT_EQ(SecondToneFreq(tones, 2, "C"), 0);
    EXPECT_EQ(FirstToneFreq(tones, 99, "0"), -5);
}

TEST(ToneLookup, NonSymbolsAreSilentForAnyIndex)
{
    const ToneTable tones = dtmfTable();
    for (int index : {-1, 0, 1, 2, 99, 100, 32767}) {
        for (const char* text : {"a", "f", "*", "#", "G", " ", "\xe9"}) {
            EXPECT_EQ(FirstToneFreq(tones, index, text), 0) << index << " " << text;
            EXPECT_EQ(SecondToneFreq(tones, index, text), 0) << index << " " << text;
        }
    }
}

TEST(ToneLookup, OnlyTheFirstCharacterCounts)
{
    const ToneTable tones = dtmfTable();
    EXPECT_EQ(FirstToneFreq(tones, 0, "12"), 697);
    EXPECT_EQ(SecondToneFreq(tones, 0, "12"), 1209);
}

TEST(ToneLookup, SymbolWithNoToneSetIsASubscriptError)
{
    const ToneTable tones = dtmfTable();
    EXPECT_THROW(FirstToneFreq(tones, -1, "7"), SubscriptOutOfRangeError);
    EXPECT_THROW(FirstToneFreq(tones, 100, "A"), SubscriptOutOfRangeError);
    EXPECT_EQ(SecondToneFreq(tones, -1, "7"), 1209);
    EXPECT_EQ(SecondToneFreq(tones, -32768, "7"), 1209);
    EXPECT_EQ(SecondToneFreq(tones, 100, "7"), 0);
}

TEST(ToneLookup, EmptyTextIsRefused)
{
    const ToneTable tones = dtmfTable();
    EXPECT_THROW(FirstToneFreq(tones, 0, ""), InvalidArgumentError);
    EXPECT_THROW(SecondToneFreq(tones, 0, ""), InvalidArgumentError);
}

} // namespace

#include "ToneSetFile.h"

#include "FakeWindow.h"
#include "TempDir.h"

#include <array>
#include <gtest/gtest.h>

namespace
{

using Row = std::array<std::int16_t, kToneColumns>;

const char* const kSixLines = "Tone set definitions\r\n"
                              ">Set A,100\r\n"
                              "400,435,470,505,540,575,610,645,680,715,750,785,820,855,890,925\r\n"
                              ">Set B,70\r\n"
                              "300,320,340,360,380,400,420,440\r\n"
                              "460,480,500,520,540,560,580,600\r\n";

constexpr Row kRowA{400, 435, 470, 505, 540, 575, 610, 645, 680, 715, 750, 785, 820, 855, 890, 925};
constexpr Row kRowB{300, 320, 340, 360, 380, 400, 420, 440, 460, 480, 500, 520, 540, 560, 580, 600};

std::string setLine(const std::string& nameField, int duration = 70, int base = 1000)
{
    std::string line = nameField + "," + std::to_string(duration);
    for (int s = 0; s < kToneColumns; ++s)
        line += "," + std::to_string(base + s);
    return line + "\r\n";
}

struct Loaded {
    FakeWindow window;
    ToneTable tones{};
    ToneSetLoadResult result;

    std::vector<std::string> names() const
    {
        std::vector<std::string> texts;
        for (std::size_t i = 2; i < window.entries.size(); ++i)
            texts.push_back(window.entries[i].text);
        return texts;
    }
    // Every entry from 2 up has its duration and a complete row: the reader's invariant.
    void expectEntriesHaveRows() const
    {
        for (std::size_t r = 2; r < window.entries.size(); ++r)
            EXPECT_TRUE(window.entries[r].itemDataSet) << r;
    }
};

Loaded load(std::string_view bytes)
{
    TempDir dir;
    Loaded loaded;
    loaded.tones[99].fill(-1); // to see that rows past the sets stay untouched
    loaded.result = LoadToneSets(loaded.tones, loaded.window, dir.write("TONESETS.INI", bytes));
    loaded.expectEntriesHaveRows();
    return loaded;
}

using Names = std::vector<std::string>;

TEST(ToneSetFile, ReadsTheSixLineExample)
{
    const Loaded l = load(kSixLines);
    EXPECT_FALSE(l.result.hasMessage());
    EXPECT_EQ(l.result.loaded, 2);
    ASSERT_EQ(l.names(), (Names{"Set A", "Set B"}));
    EXPECT_EQ(l.window.entries[2].itemData, 100);
    EXPECT_EQ(l.window.entries[3].itemData, 70);
    EXPECT_EQ(l.tones[2], kRowA);
    EXPECT_EQ(l.tones[3], kRowB);
    EXPECT_EQ(l.tones[4], Row{});
}

TEST(ToneSetFile, ASetReadsTheSameOnOneLineOrSpreadOverMany)
{
    const std::string oneLine = setLine(">Set A", 100, 400);
    const Loaded one = load("remark\r\n" + oneLine);
    for (const char* spread :
         {"remark\r\n>Set A\r\n100\r\n400,401,402\n403\r404,405,406,407,408,409,410,411,412,"
          "413,414\r\n415\r\n",
          "remark\n\n>Set A,\n100,\n\n400,401,402,403,404,405,406,407,408,409,410,411,412,413,"
          "414,415"}) {
        const Loaded many = load(spread);
        EXPECT_FALSE(many.result.hasMessage()) << many.result.message();
        EXPECT_EQ(many.names(), one.names());
        EXPECT_EQ(many.window.entries[2].itemData, 100);
        EXPECT_EQ(many.tones[2], one.tones[2]);
    }
}

TEST(ToneSetFile, NamesKeepWhatFollowsTheMarker)
{
    const Loaded l = load(setLine("\">Tone, long\"") + setLine("   >Indented") +
                          setLine("> Blank first") + setLine(">") + setLine("\t>Trailing  "));
    EXPECT_FALSE(l.result.hasMessage());
    EXPECT_EQ(l.names(), (Names{"Tone, long", "Indented", " Blank first", "", "Trailing"}));
}

TEST(ToneSetFile, DuplicateNamesGiveTwoEntries)
{
    const Loaded l = load(setLine(">Same", 10, 100) + setLine(">Same", 20, 200));
    EXPECT_EQ(l.names(), (Names{"Same", "Same"}));
    EXPECT_EQ(l.window.entries[3].itemData, 20);
    EXPECT_EQ(l.tones[3][0], 200);
}

TEST(ToneSetFile, RemarksAreSkippedOnlyWhereANameIsExpected)
{
    // The three pieces of a remark line with two commas are three thrown-away fields, and
    // blank lines after the last set add nothing.
    const Loaded l = load("one, two, three\r\n" + setLine(">A", -5) + "\r\n\r\n  \r\n");
    EXPECT_FALSE(l.result.hasMessage());
    EXPECT_EQ(l.names(), (Names{"A"}));
    EXPECT_EQ(l.window.entries[2].itemData, -5);
}

TEST(ToneSetFile, HoldsExactly98SetsAndIgnoresTheRest)
{
    std::string file;
    for (int i = 0; i < 98; ++i)
        file += setLine(">S" + std::to_string(i), i, i);
    const Loaded full = load(file);
    EXPECT_FALSE(full.result.hasMessage());
    ASSERT_EQ(full.window.entries.size(), 100u);
    EXPECT_EQ(full.window.entries[99].text, "S97");
    EXPECT_EQ(full.window.entries[99].itemData, 97);
    EXPECT_EQ(full.tones[99][15], 97 + 15);

    const Loaded over = load(file + setLine(">S98") + setLine(">S99"));
    EXPECT_EQ(over.window.entries.size(), 100u);
    EXPECT_EQ(over.result.loaded, 98);
    EXPECT_EQ(over.result.message(),
              "2 tone sets were ignored: there is room for 98 tone sets only.");
}

TEST(ToneSetFile, ARemarkInsideASetIsTakenAsANumber)
{
    const Loaded l = load(">A\r\nnot a remark\r\n" + setLine("100") + setLine(">B"));
    EXPECT_EQ(l.names(), (Names{"B"}));
    EXPECT_EQ(l.tones[2][0], 1000);
    EXPECT_EQ(l.result.message(), "Tone set \"A\" (line 1) left out: its duration \"not a remark\" "
                                  "(line 2) is not a number.");
}

TEST(ToneSetFile, BadNumbersLeaveOutTheirSetOnly)
{
    std::string bad = setLine(">Wide", 70, 32760); // reaches 32775 at F
    std::string nan = setLine(">Typo");
    nan.replace(nan.find("1003"), 4, "10O3");
    const Loaded l = load(setLine(">Good1") + bad + nan + setLine(">Good2", 5));
    EXPECT_EQ(l.names(), (Names{"Good1", "Good2"}));
    EXPECT_EQ(l.window.entries[3].itemData, 5);
    EXPECT_EQ(l.result.problems,
              (Names{"Tone set \"Wide\" (line 2) left out: its frequency for symbol 8 \"32768\" "
                     "(line 2) is outside -32768 to 32767.",
                     "Tone set \"Typo\" (line 3) left out: its frequency for symbol 3 \"10O3\" "
                     "(line 3) is not a number."}));
}

TEST(ToneSetFile, ANameInsideASetStartsTheNextSet)
{
    const Loaded l = load(">Short,70,1,2,3\r\n" + setLine(">Next"));
    EXPECT_EQ(l.names(), (Names{"Next"}));
    EXPECT_EQ(l.tones[2][0], 1000);
    EXPECT_EQ(l.result.problems.size(), 1u);
}

TEST(ToneSetFile, ASetCutShortByTheEndOfTheFileIsLeftOut)
{
    const std::string whole = setLine(">Whole");
    for (const std::string& cut : {std::string(">Cut"),
                                   std::string(">Cut,70,1,2,3,4,5,6,7,8,9,"
                                               "10,11,12,13,14,15\r\n"),
                                   std::string("\">Cut,70,1,2")}) {
        const Loaded l = load(whole + cut);
        EXPECT_EQ(l.names(), (Names{"Whole"}));
        ASSERT_EQ(l.result.problems.size(), 1u);
        EXPECT_NE(l.result.problems[0].find("\"Cut"), std::string::npos);
        EXPECT_NE(l.result.problems[0].find("the file ends before"), std::string::npos);
        EXPECT_EQ(l.tones[3], Row{});
    }
    EXPECT_EQ(
        load(whole + ">Cut,70").result.message(),
        "Tone set \"Cut\" (line 2) left out: the file ends before its frequency for symbol 0.");
}

TEST(ToneSetFile, AMissingFileForcesDtmfWithItsMessage)
{
    TempDir dir;
    FakeWindow window;
    ToneTable tones{};
    const auto result = LoadToneSets(tones, window, dir.file("TONESETS.INI"));
    EXPECT_FALSE(result.fileFound);
    EXPECT_EQ(result.message(), "No Toneset Definition found. Forced DTMF only.");
    EXPECT_EQ(window.entries.size(), 2u);
}

TEST(ToneSetFile, EmptyOrRemarkOnlyFilesBringNoMessage)
{
    for (const char* bytes : {"", "\r\n", "just a remark\r\nand, another\r\n", "  "}) {
        const Loaded l = load(bytes);
        EXPECT_TRUE(l.result.fileRead);
        EXPECT_FALSE(l.result.hasMessage()) << bytes;
        EXPECT_EQ(l.window.entries.size(), 2u);
    }
}

TEST(ToneSetFile, AnUnreadableFileIsNamedWithItsReason)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("TONESETS.INI"));
    FakeWindow window;
    ToneTable tones{};
    const auto result = LoadToneSets(tones, window, dir.file("TONESETS.INI"));
    EXPECT_TRUE(result.fileFound);
    EXPECT_FALSE(result.fileRead);
    EXPECT_EQ(result.message(), "Cannot read " + dir.file("TONESETS.INI").string() +
                                    ": Is a directory. Forced DTMF only.");
    EXPECT_EQ(window.entries.size(), 2u);
}

} // namespace

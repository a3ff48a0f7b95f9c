#include "SettingsFile.h"

#include "FakeWindow.h"
#include "SettingsRecord.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace
{

using Log = std::vector<std::string>;
using Steps = std::vector<int>;

const std::string kDefault(kDefaultSettingsRecord);

// A window after its tone sets were loaded: `sets` file entries with durations 80, 81, ...
FakeWindow windowWithSets(int sets)
{
    FakeWindow window;
    for (int i = 0; i < sets; ++i) {
        window.appendEntry("Set " + std::to_string(i));
        window.setItemData(2 + i, 80 + i);
    }
    return window;
}

struct Loaded {
    FakeWindow window;
    SettingsLoadResult result;
    std::string fileAfter;
};

Loaded loadRecord(const std::string& record, int sets = 2)
{
    TempDir dir;
    Loaded l{windowWithSets(sets), {}, {}};
    l.result = LoadSettings(l.window, dir.write("Quorvel.ini", record));
    l.fileAfter = dir.read("Quorvel.ini");
    return l;
}

void expectDefaults(const FakeWindow& w)
{
    EXPECT_EQ(w.left, 0);
    EXPECT_EQ(w.top, 0);
    EXPECT_EQ(w.texts, (std::array<std::string, 4>{"0123456789ABCDEF", "70", "0", "300"}));
    EXPECT_EQ(w.check, 0);
}

TEST(SettingsFile, FirstRunCreatesTheDefaultRecord)
{
    for (int sets : {0, 1}) {
        TempDir dir;
        FakeWindow window = windowWithSets(sets);
        const auto result = LoadSettings(window, dir.file("Quorvel.ini"));
        EXPECT_EQ(result.failedSteps, Steps{1});
        EXPECT_FALSE(result.hasMessage());
        const std::string bytes = dir.read("Quorvel.ini");
        EXPECT_EQ(bytes, "0,0,2,\"0123456789ABCDEF\",\"70\",\"0\",\"300\",0\r\n");
        EXPECT_EQ(bytes.size(), 43u);
        expectDefaults(window);
        EXPECT_EQ(window.index, sets > 0 ? 2 : 0);
    }
}

TEST(SettingsFile, AppliesTheRecordInOrderSoTheSavedTextsWin)
{
    const Loaded l = loadRecord("-150,300,1,\"12 34\",\"40\",\"25\",\"500\",1\r\n");
    EXPECT_TRUE(l.result.failedSteps.empty());
    // DTMF2's presets go in first (inside the index step) and the saved texts replace them.
    EXPECT_EQ(l.window.log, (Log{"left -150", "top 300", "index 1", "Text1 12 34", "Text2 40",
                                 "Text3 25", "Text4 500", "chkE 1"}));
    EXPECT_EQ(l.window.texts, (std::array<std::string, 4>{"12 34", "40", "25", "500"}));
    // The check box of a DTMF set is disabled but shows the saved value, and it counts.
    EXPECT_FALSE(l.window.checkEnabled);
    EXPECT_EQ(l.window.check, 1);
    EXPECT_TRUE(l.window.UseRepeatTone);
    // The selector kept the window's design pause text aside.
    EXPECT_EQ(l.window.SavedPauseText, "0");
    EXPECT_EQ(l.fileAfter, "-150,300,1,\"12 34\",\"40\",\"25\",\"500\",1\r\n");
}

TEST(SettingsFile, ASavedDtmf2NeedsFileSets)
{
    EXPECT_EQ(loadRecord("0,0,1,\"1\",\"2\",\"3\",\"4\",0\r\n", 1).window.index, 1);
    const Loaded none = loadRecord("0,0,1,\"1\",\"2\",\"3\",\"4\",0\r\n", 0);
    EXPECT_EQ(none.window.index, 0);
    EXPECT_EQ(none.window.texts[1], "2");
    EXPECT_TRUE(none.result.failedSteps.empty());
}

TEST(SettingsFile, WindowRoundTripsThroughSaveAndLoad)
{
    TempDir dir;
    FakeWindow first = windowWithSets(3);
    LoadSettings(first, dir.file("Quorvel.ini"));
    first.left = -45;
    first.top = 32760;
    first.setListIndex(3);
    first.texts = {"0A 1B", "90", "15", "999"};
    first.setCheckValue(2);
    ASSERT_TRUE(SaveSettings(first, dir.file("Quorvel.ini")).ok());
    EXPECT_EQ(dir.read("Quorvel.ini"), "-45,32760,3,\"0A 1B\",\"90\",\"15\",\"999\",2\r\n");

    FakeWindow second = windowWithSets(3);
    const auto result = LoadSettings(second, dir.file("Quorvel.ini"));
    EXPECT_TRUE(result.failedSteps.empty());
    EXPECT_EQ(second.left, -45);
    EXPECT_EQ(second.top, 32760);
    EXPECT_EQ(second.index, 3);
    EXPECT_EQ(second.texts, first.texts);
    EXPECT_EQ(second.check, 2);
    EXPECT_TRUE(second.UseRepeatTone);
    EXPECT_TRUE(second.checkEnabled);
}

// A window on a second screen lies beyond 32767 twips (2184 pixels); it keeps its place and
// the rest of the record with it.
TEST(SettingsFile, PositionsBeyondSixteenBitsReadBack)
{
    const Loaded l = loadRecord("57600,-40000,3,\"12\",\"90\",\"15\",\"999\",1\r\n");
    EXPECT_TRUE(l.result.failedSteps.empty());
    EXPECT_EQ(l.window.left, 57600);
    EXPECT_EQ(l.window.top, -40000);
    EXPECT_EQ(l.window.index, 3);
    EXPECT_EQ(l.window.texts, (std::array<std::string, 4>{"12", "90", "15", "999"}));
    EXPECT_EQ(loadRecord("16777215,-16777215,2,\"\",\"\",\"\",\"\",0\r\n").window.left, 16777215);
}

TEST(SettingsFile, WritesNumbersPlainAndTextsQuoted)
{
    EXPECT_EQ(formatSettingsRecord(0, 0, 2, {"0123456789ABCDEF", "70", "0", "300"}, 0), kDefault);
    EXPECT_EQ(formatSingle(-0.0f), "0");
    EXPECT_EQ(formatSingle(1e10f), "10000000000");
    EXPECT_EQ(formatSingle(12.5f), "12.5");
    EXPECT_EQ(formatSingle(-0.1f), "-0.1");
    EXPECT_EQ(formatSettingsRecord(7.25f, -15, -1, {"a,b", "say \"x\"", "", "\""}, 1),
              "7.25,-15,-1,\"a,b\",\"say \"\"x\"\"\",\"\",\"\"\"\",1\r\n");
}

TEST(SettingsFile, EveryPrintableTextSurvivesSaveThenLoad)
{
    std::string printable;
    for (int c = 0x20; c <= 0x7e; ++c)
        printable += static_cast<char>(c);
    std::string high;
    for (int c = 0xa0; c <= 0xff; ++c)
        high += static_cast<char>(c);
    const std::array<std::string, 4> texts{printable, " lead and trail ", "\"\"", high};
    const auto values = parseSettingsRecord(formatSettingsRecord(1, 2, 3, texts, 1));
    ASSERT_TRUE(values);
    EXPECT_EQ(values->texts, texts);
    EXPECT_EQ(values->check, 1);
}

TEST(SettingsFile, AFailedReadAppliesTheDefaultRecord)
{
    for (const char* record :
         {"", "10,20,3,\"a\",\"b\"\r\n", "16777216,0,2,\"a\",\"b\",\"c\",\"d\",0\r\n",
          "0,-16777216,2,\"a\",\"b\",\"c\",\"d\",0\r\n", "0,0,40000,\"a\",\"b\",\"c\",\"d\",0\r\n",
          "x,0,2,\"a\",\"b\",\"c\",\"d\",0\r\n", "10,20,3,\"a\",\"b\",\"c\",\"d\",\r\n"}) {
        const Loaded l = loadRecord(record);
        EXPECT_EQ(l.result.failedSteps, Steps{2}) << record;
        EXPECT_FALSE(l.result.hasMessage());
        EXPECT_EQ(l.fileAfter, kDefault);
        expectDefaults(l.window);
        EXPECT_EQ(l.window.index, 2);
    }
}

TEST(SettingsFile, ARefusedIndexSelectsTheFirstFileSetAndGoesOn)
{
    for (const char* record :
         {"5,6,4,\"a\",\"b\",\"c\",\"d\",1\r\n", "5,6,-7,\"a\",\"b\",\"c\",\"d\",1\r\n"}) {
        const Loaded l = loadRecord(record);
        EXPECT_EQ(l.result.failedSteps, Steps{6});
        EXPECT_EQ(l.fileAfter, kDefault);
        EXPECT_EQ(l.window.index, 2);
        EXPECT_EQ(l.window.left, 5);
        EXPECT_EQ(l.window.texts, (std::array<std::string, 4>{"a", "b", "c", "d"}));
        EXPECT_EQ(l.window.check, 1);
    }
}

TEST(SettingsFile, ASavedNoSelectionSelectsTheFirstFileSet)
{
    const Loaded l = loadRecord("0,0,-1,\"a\",\"b\",\"c\",\"d\",0\r\n");
    EXPECT_TRUE(l.result.failedSteps.empty());
    EXPECT_EQ(l.window.index, 2);
    EXPECT_EQ(loadRecord("0,0,-1,\"a\",\"b\",\"c\",\"d\",0\r\n", 0).window.index, 0);
}

TEST(SettingsFile, ARefusedCheckValueKeepsTheCheckBox)
{
    const Loaded l = loadRecord("0,0,3,\"a\",\"b\",\"c\",\"d\",3\r\n");
    EXPECT_EQ(l.result.failedSteps, Steps{11});
    EXPECT_EQ(l.fileAfter, kDefault);
    EXPECT_EQ(l.window.check, 0);
    EXPECT_EQ(l.window.texts[3], "d");

    const Loaded both = loadRecord("0,0,9,\"a\",\"b\",\"c\",\"d\",-1\r\n");
    EXPECT_EQ(both.result.failedSteps, (Steps{6, 11}));
    EXPECT_EQ(both.fileAfter, kDefault);
}

TEST(SettingsFile, FieldsAfterTheEighthAreIgnored)
{
    const Loaded l = loadRecord("1,2,3,\"a\",\"b\",\"c\",\"d\",0,junk,\"more\r\nlines");
    EXPECT_TRUE(l.result.failedSteps.empty());
    EXPECT_EQ(l.window.index, 3);
}

TEST(SettingsFile, AnUnwritableFileGivesOneMessageAndTheDefaults)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("Quorvel.ini"));
    const auto nowhere = dir.file("missing-dir") / "Quorvel.ini";
    for (const auto& path : {dir.file("Quorvel.ini"), nowhere}) {
        FakeWindow window = windowWithSets(1);
        const auto result = LoadSettings(window, path);
        EXPECT_EQ(result.failedSteps, Steps{1});
        EXPECT_NE(
            result.message.find("The settings file " + path.string() + " cannot be written: "),
            std::string::npos)
            << result.message;
        expectDefaults(window);
        EXPECT_EQ(window.index, 2);

        const auto saved = SaveSettings(window, path);
        EXPECT_FALSE(saved.ok());
        EXPECT_NE(saved.message.find(path.string()), std::string::npos);
    }
    FakeWindow window;
    EXPECT_EQ(SaveSettings(window, nowhere).message,
              "The settings file " + nowhere.string() +
                  " cannot be written: No such file or directory.\nThe window's settings of "
                  "this run are not saved.");
}

} // namespace

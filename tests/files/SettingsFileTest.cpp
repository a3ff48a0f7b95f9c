#include "SettingsFile.h"

#include "FakeWindow.h"
#include "FileBytes.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <random>

const std::string kDefault = "0,0,2,\"0123456789ABCDEF\",\"70\",\"0\",\"300\",0\r\n"; // 43 bytes

// Loads the record into a window with two file sets, checks that the load left the file as
// it was or, after a recovery, the default record, without a message, and saves the window.
// Gives the steps that ran the recovery and the saved record.
static std::pair<std::vector<int>, std::string> loadThenSave(const std::string& record)
{
    TempDir dir;
    FakeWindow window(2);
    const auto result = LoadSettings(window, dir.write("Quorvel.ini", record));
    EXPECT_EQ(dir.read("Quorvel.ini"), result.failedSteps.empty() ? record : kDefault) << record;
    EXPECT_TRUE(!result.hasMessage() && SaveSettings(window, dir.file("Quorvel.ini")).ok());
    return {result.failedSteps, dir.read("Quorvel.ini")};
}

TEST(SettingsFile, LoadsInOrderSavesAndRecoversEveryFailingStep)
{
    // The first run writes the default record and applies it in order: position, index
    // (whose change handling runs inside the setter), texts, check box.
    TempDir dir;
    FakeWindow window(1);
    EXPECT_EQ(LoadSettings(window, dir.file("Quorvel.ini")).failedSteps, std::vector<int>{1});
    EXPECT_EQ(dir.read("Quorvel.ini"), kDefault);
    EXPECT_EQ(window.log, "left 0 top 0 index 2 1=0123456789ABCDEF 2=70 3=0 4=300 chkE 0 ");
    // Where even the recovery cannot write, the user hears of it once, in a message that
    // names the file right after "The settings file ".
    const auto path = dir.file("none") / "Quorvel.ini";
    EXPECT_EQ(LoadSettings(window, path).message.find(path.string() + " cannot be written"), 18u);
    EXPECT_FALSE(SaveSettings(window, path).ok());
    // A record, the steps that fail while loading it, and the record saved after (if other).
    const std::tuple<std::string, std::vector<int>, std::string> cases[] = {
        {"-16777215,57600,1,\"a,b\",\"say \"\"hi\"\"\",\"\",\"\"\"\",1\r\n", {}, ""},
        {"16777215,-4,-1,\"\",\"\",\"\",\"\",0\r\n", {}, "16777215,-4,2,\"\",\"\",\"\",\"\",0\r\n"},
        {"16777216,0,3,\"a\",\"b\",\"c\",\"d\",0\r\n", {2}, kDefault},
        {"10,20,3,\"a\",\"b\"\r\n", {2}, kDefault},
        {"5,6,4,\"a\",\"b\",\"c\",\"d\",1\r\n", {6}, "5,6,2,\"a\",\"b\",\"c\",\"d\",1\r\n"},
        {"5,6,3,\"a\",\"b\",\"c\",\"d\",3\r\n", {11}, "5,6,3,\"a\",\"b\",\"c\",\"d\",0\r\n"},
        // A byte-order mark is skipped, and not written back.
        {"\xEF\xBB\xBF-7,8,3,\"a\",\"b\",\"c\",\"d\",1\r\n",
         {},
         "-7,8,3,\"a\",\"b\",\"c\",\"d\",1\r\n"},
    };
    std::mt19937 random(7);
    for (const auto& [record, steps, saved] : cases) {
        EXPECT_EQ(loadThenSave(record), std::make_pair(steps, saved.empty() ? record : saved));
        // Mutated, with a fixed seed: what the window saves loads back without a failure.
        for (int i = 0; i < 50; ++i) {
            std::string mutated = record;
            // Drawn in this order, on any compiler.
            const std::size_t at = random() % (mutated.size() + 1);
            const std::size_t cut = random() % 3;
            const std::size_t count = random() % 3;
            const std::size_t pick = random() % 7;
            mutated.replace(at, cut, count, "\",\r\n-9 "[pick]);
            const std::string again = loadThenSave(mutated).second;
            EXPECT_EQ(loadThenSave(again), std::make_pair(std::vector<int>{}, again));
        }
    }
}

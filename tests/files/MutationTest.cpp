// Randomised checks of both readers with a fixed seed, so that a run without the fuzzer
// still meets the odd inputs: mutated files must never break the readers' promises.
#include "FakeWindow.h"
#include "SettingsFile.h"
#include "SettingsRecord.h"
#include "TempDir.h"
#include "ToneSetFile.h"

#include <gtest/gtest.h>
#include <random>

namespace
{

const char* const kSeeds[] = {
    "Tone set definitions\r\n>Set A,100\r\n400,435,470,505,540,575,610,645,680,715,750,785,"
    "820,855,890,925\r\n>Set B,70\r\n300,320,340,360,380,400,420,440\r\n460,480,500,520,540,"
    "560,580,600\r\n",
    "0,0,2,\"0123456789ABCDEF\",\"70\",\"0\",\"300\",0\r\n",
    "-150,32767,1,\"say \"\"hi\"\", ok\",\"12.5\",\"0\",\"300\",2\r\n",
    "\">Tone, long\",70,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\n  > Blank,-5,1,2,3,4,5,6,7,8,"
    "9,10,11,12,13,14,15,16\r\n",
};

constexpr char kAlphabet[] = "\",>\r\n \t-+.0123456789xAZ";

class Mutator
{
public:
    explicit Mutator(std::uint32_t seed) : m_random(seed) {}

    std::size_t below(std::size_t n) { return n == 0 ? 0 : m_random() % n; }

    std::string mutate(std::string text)
    {
        const std::size_t edits = 1 + below(8);
        for (std::size_t e = 0; e < edits; ++e) {
            const std::size_t at = below(text.size() + 1);
            switch (below(5)) {
            case 0:
                text.insert(at, 1, kAlphabet[below(sizeof kAlphabet - 1)]);
                break;
            case 1:
                text.insert(at, 1, static_cast<char>(below(256)));
                break;
            case 2:
                if (at < text.size())
                    text.erase(at, 1 + below(4));
                break;
            case 3:
                if (at < text.size())
                    text.insert(below(text.size()), text.substr(at, 1 + below(20)));
                break;
            default:
                text.resize(at);
                break;
            }
        }
        return text;
    }

private:
    std::mt19937 m_random;
};

TEST(FileMutations, ToneSetReaderKeepsEveryEntryComplete)
{
    Mutator mutator(20240501);
    TempDir dir;
    for (int i = 0; i < 300; ++i) {
        const std::string bytes = mutator.mutate(kSeeds[mutator.below(std::size(kSeeds))]);
        FakeWindow window;
        ToneTable tones{};
        for (auto& row : tones)
            row.fill(-7);
        const auto result = LoadToneSets(tones, window, dir.write("TONESETS.INI", bytes));
        ASSERT_TRUE(result.fileRead);
        ASSERT_EQ(window.entries.size(), 2u + static_cast<std::size_t>(result.loaded));
        const ToneSetParse parse = parseToneSets(bytes);
        ASSERT_EQ(parse.sets.size(), static_cast<std::size_t>(result.loaded));
        for (std::size_t r = 2; r < window.entries.size(); ++r) {
            EXPECT_TRUE(window.entries[r].itemDataSet);
            EXPECT_EQ(tones[r], parse.sets[r - 2].frequencies);
        }
        if (window.entries.size() < tones.size()) {
            EXPECT_EQ(tones[window.entries.size()][0], -7) << "a row past the entries was written";
        }
    }
}

TEST(FileMutations, SettingsLoadAlwaysLeavesAUsableWindowAndFile)
{
    Mutator mutator(7);
    TempDir dir;
    for (int i = 0; i < 300; ++i) {
        const std::string bytes = mutator.mutate(kSeeds[1 + mutator.below(2)]);
        FakeWindow window;
        for (std::size_t s = 0; s < mutator.below(4); ++s) {
            window.appendEntry("S");
            window.setItemData(window.entryCount() - 1, 70);
        }
        const auto path = dir.write("Quorvel.ini", bytes);
        const auto result = LoadSettings(window, path);
        EXPECT_FALSE(result.hasMessage());
        EXPECT_GE(window.index, 0);
        EXPECT_LT(window.index, window.entryCount());
        EXPECT_LE(window.check, 2);
        EXPECT_GE(window.check, 0);
        const std::string after = dir.read("Quorvel.ini");
        EXPECT_TRUE(after == bytes || after == kDefaultSettingsRecord);
        EXPECT_TRUE(parseSettingsRecord(after).has_value() || after == bytes);

        // What the reader accepted, the writer writes so that it reads back the same.
        if (const auto values = parseSettingsRecord(bytes)) {
            const auto again = parseSettingsRecord(formatSettingsRecord(
                static_cast<float>(values->left), static_cast<float>(values->top), values->index,
                values->texts, values->check));
            ASSERT_TRUE(again);
            EXPECT_EQ(again->texts, values->texts);
            EXPECT_EQ(again->left, values->left);
            EXPECT_EQ(again->top, values->top);
            EXPECT_EQ(again->index, values->index);
            EXPECT_EQ(again->check, values->check);
        }
        // Any bytes at all survive as a text.
        const std::array<std::string, 4> texts{bytes, "", bytes.substr(bytes.size() / 2), "x"};
        const auto asTexts = parseSettingsRecord(formatSettingsRecord(0, 0, 0, texts, 0));
        ASSERT_TRUE(asTexts);
        EXPECT_EQ(asTexts->texts, texts);
    }
}

TEST(FileMutations, SetsReadTheSameHoweverTheirFieldsAreSeparated)
{
    Mutator mutator(42);
    const char* const separators[] = {",", "\r\n", "\n", "\r", ",\r\n", " , ", ",\n\n"};
    for (int i = 0; i < 200; ++i) {
        std::vector<ToneSetDefinition> sets(1 + mutator.below(4));
        std::string file;
        for (auto& set : sets) {
            set.name = "Set " + std::to_string(mutator.below(1000));
            set.duration = static_cast<std::int16_t>(mutator.below(65536) - 32768);
            for (auto& f : set.frequencies)
                f = static_cast<std::int16_t>(mutator.below(65536) - 32768);
            if (mutator.below(3) == 0)
                file += "a remark, in pieces\r\n";
            file += "  >" + set.name;
            file += separators[mutator.below(std::size(separators))];
            file += std::to_string(set.duration);
            for (const auto f : set.frequencies) {
                file += separators[mutator.below(std::size(separators))];
                file += std::to_string(f);
            }
            file += "\r\n";
        }
        const ToneSetParse parse = parseToneSets(file);
        ASSERT_TRUE(parse.problems.empty()) << file;
        ASSERT_EQ(parse.sets.size(), sets.size());
        for (std::size_t s = 0; s < sets.size(); ++s) {
            EXPECT_EQ(parse.sets[s].name, sets[s].name);
            EXPECT_EQ(parse.sets[s].duration, sets[s].duration);
            EXPECT_EQ(parse.sets[s].frequencies, sets[s].frequencies);
        }
    }
}

} // namespace

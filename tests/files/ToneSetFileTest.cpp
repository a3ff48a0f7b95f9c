#include "ToneSetFile.h"

#include "FakeWindow.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <regex>

using Row = std::array<std::int16_t, kToneColumns>;
constexpr Row kRowA{400, 435, 470, 505, 540, 575, 610, 645, 680, 715, 750, 785, 820, 855, 890, 925};
constexpr Row kRowB{300, 320, 340, 360, 380, 400, 420, 440, 460, 480, 500, 520, 540, 560, 580, 600};
const std::string kSixLines = "Tone set definitions\r\n>Set A,100\r\n"
                              "400,435,470,505,540,575,610,645,680,715,750,785,820,855,890,925\r\n"
                              ">Set B,70\r\n300,320,340,360,380,400,420,440\r\n"
                              "460,480,500,520,540,560,580,600\r\n";
// What completes a set after its name field: Set A's numbers.
const std::string kA = ",100,400,435,470,505,540,575,610,645,680,715,750,785,820,855,890,925\r\n";

// Loads the bytes as the file: the file's entries as "[name]duration", the rows of the whole
// table as "A", "B", "?" or nothing for an untouched one, then a "!" per line of the message.
static std::string load(const std::string& bytes)
{
    TempDir dir;
    FakeWindow window;
    ToneTable tones{};
    const auto result = LoadToneSets(tones, window, dir.write("TONESETS.INI", bytes));
    std::string out;
    for (std::size_t r = 2; r < window.entries.size(); ++r)
        out += "[" + window.entries[r].first + "]" + std::to_string(window.entries[r].second);
    for (const Row& row : tones)
        out += row == kRowA ? "A" : row == kRowB ? "B" : row == Row{} ? "" : "?";
    return out + std::string(result.problems.count(), '!');
}

TEST(ToneSetFile, ReadsCompleteSetsAndSaysWhyOthersAreLeftOut)
{
    std::string file98, sets98;
    for (int i = 0; i < 98; ++i, sets98 += "[S]100")
        file98 += ">S" + kA;
    const std::string cases[][2] = {
        {kSixLines, "[Set A]100[Set B]70AB"},
        // Each set on one line; then lone LFs and CRs, with empty lines inside the sets.
        {std::regex_replace(kSixLines, std::regex("\r\n(?!>)"), ","), "[Set A]100[Set B]70AB"},
        {std::regex_replace(kSixLines, std::regex("\r\n"), "\n\r\r"), "[Set A]100[Set B]70AB"},
        // Remarks in pieces are skipped, and blanks before a field and after an unquoted one.
        // Quotes keep commas, with "" for one quote, and drop what follows the closing one.
        {"one, two, three\r\n\">Tone, \"\"long\"\"\" x" + kA + " \t>Same " + kA + ">Same" + kA +
             "> B" + kA + ">" + kA + "\r\n\r\n  \r\n",
         "[Tone, \"long\"]100[Same]100[Same]100[ B]100[]100AAAAA"},
        // Inside a set every field is a number, a remark included; a bad number leaves out
        // its set only, and so do a name field and the end of the file cutting a set short.
        {">A,not a remark" + kA + ">B" + kA, "[B]100A!"},
        {">Wide,-32768,32767,32768" + kA + ">Short,1\r\n>Good" + kA + ">Cut,100", "[Good]100A!!!"},
        {"", ""},
        {"just a remark\r\n", ""},
        {file98, sets98 + std::string(98, 'A')},
        {file98 + ">S" + kA, sets98 + std::string(98, 'A') + "!"},
        // A byte-order mark is no part of the first field; only at the start is it skipped.
        {"\xEF\xBB\xBF>Set A" + kA + "\xEF\xBB\xBF>Set B" + kA, "[Set A]100A"},
        // A quote that runs across line ends is read to the next quote, and reported.
        {"\"Note: no closing quote\r\n>A" + kA + ">B" + kA, "!"},
        {">A" + kA + "\"1\r\n2\",\">Set B\r\n\"" + kA, "[A]100[Set B\r\n]100AA!!"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(load(bytes), expected) << bytes;
    TempDir dir;
    FakeWindow window;
    ToneTable tones{};
    EXPECT_EQ(LoadToneSets(tones, window, dir.file("none")).message(),
              "No Toneset Definition found. Forced DTMF only.");
    // Only a regular file of up to 64 MiB is read (a FIFO and a device: FilesPosixTest).
    std::filesystem::resize_file(dir.write("huge", ""), (64 << 20) + 1); // sparse
    const std::pair<std::filesystem::path, std::string> unread[] = {
        {dir.file(""), "Is a directory"},
        {dir.file("huge"),
         "The file is too large: 67108865 bytes (64 MiB), more than the 64 MiB a file may have"}};
    for (const auto& [path, reason] : unread)
        EXPECT_EQ(LoadToneSets(tones, window, path).message(),
                  "Cannot read " + path.string() + ": " + reason + ". Forced DTMF only.");

    // However many problems, the message lists 15 of them and counts the rest.
    std::string bad;
    for (int i = 0; i < 300; ++i)
        bad += ">Bad,x\r\n";
    const std::string message = LoadToneSets(tones, window, dir.write("bad", bad)).message();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 15);
    EXPECT_THAT(message, testing::EndsWith("left out: its duration \"x\" (line 15) is not a "
                                           "number.\n\u2026 and 285 more problems"));
}

#pragma once

#include "ProblemList.h"
#include "ToneTable.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class ToneSetSelector;

inline constexpr const char* kToneSetFileName = "TONESETS.INI";
inline constexpr std::string_view kNoToneSetsMessage =
    "No Toneset Definition found. Forced DTMF only.";

// One complete set of the file: a name (without its ">" marker), a default tone duration in
// milliseconds and the frequencies of the symbols 0-9, A-F.
struct ToneSetDefinition {
    std::string name;
    std::int16_t duration = 0;
    std::array<std::int16_t, kToneColumns> frequencies{};
    int line = 0; // the line of its name field
};

struct ToneSetParse {
    std::vector<ToneSetDefinition> sets; // the complete sets that fit, in file order
    int ignored = 0;                     // sets beyond the room there was
    // One line per set left out and per quote that runs across a line end, in file order,
    // then the ignored count.
    ProblemList problems;
};

// Reads the sets out of the file's bytes. A set whose fields run past the end of the file
// or hold a bad number is left out whole; reading then goes on at the next name field.
// A quoted text that runs across a line end is read as one text, and reported with the line
// where its quote opened: otherwise a stray quote in a remark makes the sets after it vanish
// without a word. At most `room` sets are kept. Linear in the size of the file.
ToneSetParse parseToneSets(std::string_view bytes, int room = kMaxFileToneSets);

// What a load found wrong. The window shows `message()` in one information box titled
// with its caption when `hasMessage()`; the command line prints `problems` as warnings.
struct ToneSetLoadResult {
    bool fileFound = false;
    bool fileRead = false;
    std::string readError; // the system's reason when the file exists but cannot be read
    int loaded = 0;
    ProblemList problems;

    bool hasMessage() const { return !problems.empty(); }
    std::string message() const { return problems.text(); }
};

// LoadToneSets: appends one selector entry per complete set of the file, with its duration
// as the per-item integer, and fills the table row equal to the entry's index. Every entry
// it appends has its per-item integer and a complete row. Nothing is shown here.
ToneSetLoadResult LoadToneSets(ToneTable& tones, ToneSetSelector& selector,
                               const std::filesystem::path& path = kToneSetFileName);

// Fuzzes both readers of Quorvel's text files with one input: as a tone-set file, as a
// settings record, as texts that must survive being written into a settings record and read
// back, and as a field stream read in a mix of texts and numbers.
#include "FieldReader.h"
#include "SettingsRecord.h"
#include "ToneSetFile.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

static void check(bool condition)
{
    if (!condition)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Never more sets than there is room for, the sets left over are reported, and the
    // message keeps to its 15 lines and a count.
    for (const int room : {kMaxFileToneSets, 2}) {
        const ToneSetParse parse = parseToneSets(bytes, room);
        check(static_cast<int>(parse.sets.size()) <= room &&
              (parse.ignored == 0 || !parse.problems.empty()) &&
              parse.problems.lines().size() <= ProblemList::kShownProblems + 1);
    }
    // A byte-order mark in front changes nothing, in either file.
    const std::string bom = "\xEF\xBB\xBF";
    if (!bytes.starts_with(bom)) {
        const std::string withMark = bom + std::string(bytes);
        const ToneSetParse plain = parseToneSets(bytes), marked = parseToneSets(withMark);
        check(plain.sets.size() == marked.sets.size() &&
              plain.problems.count() == marked.problems.count());
        for (std::size_t i = 0; i < plain.sets.size(); ++i)
            check(plain.sets[i].name == marked.sets[i].name &&
                  plain.sets[i].frequencies == marked.sets[i].frequencies);
        check(parseSettingsRecord(bytes).has_value() == parseSettingsRecord(withMark).has_value());
    }

    // A record that reads is written so that it reads back the same.
    if (const auto values = parseSettingsRecord(bytes)) {
        const auto again = parseSettingsRecord(
            formatSettingsRecord(static_cast<float>(values->left), static_cast<float>(values->top),
                                 values->index, values->texts, values->check));
        check(again && again->left == values->left && again->top == values->top &&
              again->index == values->index && again->texts == values->texts &&
              again->check == values->check);
    }

    // Any bytes survive as texts; a fraction reads back rounded, a half to even.
    std::array<std::string, 4> texts;
    for (std::size_t i = 0; i < size; ++i)
        texts[i % 4] += bytes[i];
    const auto read = parseSettingsRecord(formatSettingsRecord(-1.5f, 3e4f, -1, texts, 2));
    check(read && read->texts == texts && read->left == -2 && read->top == 30000 &&
          read->index == -1 && read->check == 2);

    // Every read short of the end consumes at least one byte, so this many reads reach it.
    FieldReader reader(bytes);
    for (std::size_t i = 0; !reader.atEnd(); ++i) {
        check(i <= size);
        if (i < size && (bytes[i] & 1))
            reader.readNumber();
        else
            reader.readText();
    }
    return 0;
}

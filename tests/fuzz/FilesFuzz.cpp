// Fuzzes both readers of Quorvel's text files with one input: as a tone-set file, as a
// settings record, as a field stream read in a mix of texts and numbers, and as texts that
// must survive being written into a settings record and read back.
#include "FieldReader.h"
#include "SettingsRecord.h"
#include "ToneSetFile.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void fuzzToneSets(std::string_view bytes)
{
    for (const int room : {kMaxFileToneSets, 2}) {
        const ToneSetParse parse = parseToneSets(bytes, room);
        check(static_cast<int>(parse.sets.size()) <= room);
        check(parse.ignored == 0 || !parse.problems.empty());
    }
}

void fuzzSettingsRecord(std::string_view bytes)
{
    const auto values = parseSettingsRecord(bytes);
    if (!values)
        return;
    const std::string record = formatSettingsRecord(values->left, values->top, values->index,
                                                    values->texts, values->check);
    const auto again = parseSettingsRecord(record);
    check(again.has_value());
    check(again->left == values->left && again->top == values->top &&
          again->index == values->index && again->texts == values->texts &&
          again->check == values->check);
}

void fuzzFieldStream(std::string_view bytes)
{
    FieldReader reader(bytes);
    // Every read short of the end consumes at least one byte, so this many reads reach it.
    std::size_t reads = 0;
    for (std::size_t i = 0; !reader.atEnd(); ++i) {
        check(++reads <= bytes.size() + 1);
        const unsigned char pick = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
        if (pick & 1)
            reader.readNumber();
        else
            reader.readText();
    }
}

void fuzzTextRoundTrip(std::string_view bytes)
{
    std::array<std::string, 4> texts;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        texts[i % 4] += bytes[i];
    const auto values = parseSettingsRecord(formatSettingsRecord(-1.5f, 3e4f, -1, texts, 2));
    check(values.has_value());
    check(values->texts == texts);
    check(values->left == -2 && values->top == 30000 && values->index == -1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzzToneSets(bytes);
    fuzzSettingsRecord(bytes);
    fuzzFieldStream(bytes);
    fuzzTextRoundTrip(bytes);
    return 0;
}

#include "ToneSetFile.h"

#include "FieldReader.h"
#include "FileBytes.h"
#include "PathText.h"
#include "ToneSetSelector.h"

#include <optional>
#include <system_error>

namespace
{

constexpr int kNumbersPerSet = 1 + kToneColumns; // the duration, then one frequency per symbol

std::string numberFieldName(int index)
{
    if (index == 0)
        return "its duration";
    const int column = index - 1;
    const char symbol =
        column < 10 ? static_cast<char>('0' + column) : static_cast<char>('A' + column - 10);
    return std::string("its frequency for symbol ") + symbol;
}

// A text from the file as a message shows it: one line, and not much of a long one, since
// a runaway quote can make a field of megabytes.
std::string shown(std::string_view text)
{
    constexpr std::size_t kLongest = 40;
    std::string line;
    for (const char c : text.substr(0, kLongest))
        line += (c == '\r' || c == '\n') ? ' ' : c;
    if (text.size() > kLongest)
        line += "\u2026";
    return line;
}

std::string problemText(const ToneSetDefinition& set, int index, const Field<std::int16_t>& f)
{
    std::string text =
        "Tone set \"" + shown(set.name) + "\" (line " + std::to_string(set.line) + ") left out: ";
    switch (f.error) {
    case FieldError::EndOfFile:
        return text + "the file ends before " + numberFieldName(index) + ".";
    case FieldError::OutOfRange:
        return text + numberFieldName(index) + " \"" + shown(f.raw) + "\" (line " +
               std::to_string(f.line) + ") is outside -32768 to 32767.";
    case FieldError::NotANumber:
    case FieldError::None:
        break;
    }
    return text + numberFieldName(index) + " \"" + shown(f.raw) + "\" (line " +
           std::to_string(f.line) + ") is not a number.";
}

template <typename T> void noteRunawayQuote(const Field<T>& field, ProblemList& problems)
{
    if (!field.unclosedQuote && !field.crossesLines())
        return;
    problems.addWith([&] {
        const std::string opens = "The quote that opens on line " + std::to_string(field.line);
        if (field.unclosedQuote)
            return opens + " is never closed; the rest of the file is read as one text.";
        return opens + " closes only on line " + std::to_string(field.lastLine) +
               "; everything between is read as one text.";
    });
}

bool startsSet(const std::string& field)
{
    return !field.empty() && field.front() == '>';
}

} // namespace

ToneSetParse parseToneSets(std::string_view bytes, int room)
{
    ToneSetParse parse;
    FieldReader reader(bytes);
    // A name field met where a number was expected: the set it ends is left out, and
    // reading resumes with it rather than throwing it away with the broken set.
    std::optional<Field<std::string>> pendingName;
    while (pendingName || !reader.atEnd()) {
        Field<std::string> name = pendingName ? std::move(*pendingName) : reader.readText();
        pendingName.reset();
        if (!name)
            break;
        noteRunawayQuote(name, parse.problems);
        // Remarks are skipped only here, where a name is expected; inside a set every field
        // is a number.
        if (!startsSet(name.value))
            continue;

        ToneSetDefinition set;
        set.name = name.value.substr(1);
        set.line = name.line;
        const bool fits = static_cast<int>(parse.sets.size()) < room;
        bool complete = true;
        for (int i = 0; i < kNumbersPerSet; ++i) {
            Field<std::int16_t> number = reader.readNumber();
            noteRunawayQuote(number, parse.problems);
            if (!number) {
                complete = false;
                if (fits)
                    parse.problems.addWith([&] { return problemText(set, i, number); });
                if (number.error != FieldError::EndOfFile && startsSet(number.raw))
                    pendingName =
                        Field<std::string>{number.raw, FieldError::None, number.raw, number.line};
                break;
            }
            if (i == 0)
                set.duration = number.value;
            else
                set.frequencies[static_cast<std::size_t>(i - 1)] = number.value;
        }
        if (!fits)
            ++parse.ignored;
        else if (complete)
            parse.sets.push_back(std::move(set));
    }
    if (parse.ignored > 0)
        parse.problems.add(
            std::to_string(parse.ignored) + " tone set" + (parse.ignored == 1 ? " was" : "s were") +
            " ignored: there is room for " + std::to_string(room) + " tone sets only.");
    return parse;
}

ToneSetLoadResult LoadToneSets(ToneTable& tones, ToneSetSelector& selector,
                               const std::filesystem::path& path)
{
    ToneSetLoadResult result;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        result.problems.add(std::string(kNoToneSetsMessage));
        return result;
    }
    result.fileFound = true;
    const FileBytes file = readFileBytes(path);
    if (!file.ok) {
        result.readError = file.reason;
        result.problems.add("Cannot read " + pathText(path) + ": " + file.reason +
                            ". Forced DTMF only.");
        return result;
    }
    result.fileRead = true;

    // The entry's index is the set's row, so the room is what the table has left.
    const int firstRow = selector.entryCount();
    const int room = std::max(0, kToneRows - firstRow);
    ToneSetParse parse = parseToneSets(file.bytes, room);
    for (const ToneSetDefinition& set : parse.sets) {
        const int row = selector.entryCount();
        selector.appendEntry(set.name);
        selector.setItemData(row, set.duration);
        tones[static_cast<std::size_t>(row)] = set.frequencies;
        ++result.loaded;
    }
    result.problems = std::move(parse.problems);
    return result;
}

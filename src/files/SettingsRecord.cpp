#include "SettingsRecord.h"

#include "FieldReader.h"

#include <charconv>
#include <cmath>

namespace
{

const char* const kFieldNames[] = {
    "the window's left edge", "the window's top edge", "the tone-set index", "the text of Text1",
    "the text of Text2",      "the text of Text3",     "the text of Text4",  "the check box value"};

template <typename T> bool take(const Field<T>& field, int index, T& into, std::string* problem)
{
    if (field) {
        into = field.value;
        return true;
    }
    if (problem != nullptr) {
        const std::string name = kFieldNames[index];
        switch (field.error) {
        case FieldError::EndOfFile:
            *problem = "the file ends before " + name;
            break;
        case FieldError::OutOfRange:
            *problem = name + " \"" + field.raw + "\" is outside " +
                       (index < 2 ? "-16777215 to 16777215" : "-32768 to 32767");
            break;
        default:
            *problem = name + " \"" + field.raw + "\" is not a number";
            break;
        }
    }
    return false;
}

} // namespace

SettingsValues defaultSettings()
{
    SettingsValues values;
    values.index = 2;
    values.texts = {"0123456789ABCDEF", "70", "0", "300"};
    return values;
}

std::optional<SettingsValues> parseSettingsRecord(std::string_view bytes, std::string* problem)
{
    FieldReader reader(bytes);
    SettingsValues values;
    if (!take(reader.readPosition(), 0, values.left, problem) ||
        !take(reader.readPosition(), 1, values.top, problem) ||
        !take(reader.readNumber(), 2, values.index, problem))
        return std::nullopt;
    for (int i = 0; i < 4; ++i) {
        if (!take(reader.readText(), 3 + i, values.texts[static_cast<std::size_t>(i)], problem))
            return std::nullopt;
    }
    if (!take(reader.readNumber(), 7, values.check, problem))
        return std::nullopt;
    return values;
}

std::string quoteText(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    quoted += '"';
    return quoted;
}

std::string formatSingle(float value)
{
    // Neither a non-finite value nor -0 is a window position; both are written as 0 so
    // that the record always reads back.
    if (!std::isfinite(value) || value == 0.0f)
        return "0";
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (ec != std::errc())
        return "0";
    return std::string(text, end);
}

std::string formatSettingsRecord(float left, float top, int index,
                                 const std::array<std::string, 4>& texts, int check)
{
    std::string record = formatSingle(left) + ',' + formatSingle(top) + ',' + std::to_string(index);
    for (const std::string& text : texts)
        record += ',' + quoteText(text);
    record += ',' + std::to_string(check) + "\r\n";
    return record;
}

#include "SequenceText.h"

namespace
{

// Silent stand-ins: no symbol, no blank. Three are enough to differ from both neighbours.
constexpr char kStandIns[] = {'?', '!', '#'};

char latin1(char32_t c)
{
    return static_cast<char>(static_cast<unsigned char>(c));
}

} // namespace

std::string narrowSequence(std::u32string_view typed)
{
    std::string narrowed;
    narrowed.reserve(typed.size());
    std::size_t i = 0;
    while (i < typed.size()) {
        const char32_t c = typed[i];
        if (c <= 0xFF) {
            narrowed += latin1(c);
            ++i;
            continue;
        }
        // A run of the same character takes one stand-in, different from the byte before the
        // run and from the character after it when that one keeps its own byte. A character
        // after it that is not Latin-1 picks its own stand-in, avoiding this one in turn.
        std::size_t end = i;
        while (end < typed.size() && typed[end] == c)
            ++end;
        const char before = narrowed.empty() ? '\0' : narrowed.back();
        const char after = end < typed.size() && typed[end] <= 0xFF ? latin1(typed[end]) : '\0';
        for (const char standIn : kStandIns) {
            if (standIn != before && standIn != after) {
                narrowed.append(end - i, standIn);
                break;
            }
        }
        i = end;
    }
    return narrowed;
}

std::u32string decodeUtf8(std::string_view bytes)
{
    std::u32string text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                           : lead >= 0xE0                ? 3
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                                                         : 0;
        char32_t c = length == 1   ? lead
                     : length == 2 ? lead & 0x1F
                     : length == 3 ? lead & 0x0F
                                   : lead & 0x07;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are no characters.
        valid = valid && !(length == 3 && c < 0x800) && !(length == 4 && c < 0x10000) &&
                !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
        text.push_back(valid ? c : U'\uFFFD');
        i += valid ? static_cast<std::size_t>(length) : 1;
    }
    return text;
}

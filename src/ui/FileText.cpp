#include "FileText.h"

namespace
{

// The character at `i` and its length in bytes; nothing for an invalid sequence, an overlong
// form or a surrogate included, which a strict decoder refuses.
std::optional<std::pair<char32_t, std::size_t>> nextCharacter(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return std::pair(char32_t{lead}, std::size_t{1});
    std::size_t length = 0;
    char32_t c = 0, least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (i + length > text.size())
        return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    return std::pair(c, length);
}

void appendUtf8(std::string& out, char32_t c)
{
    const auto put = [&out](unsigned value) { out += static_cast<char>(value); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | (c >> 6)), put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | (c >> 12)), put(0x80 | ((c >> 6) & 0x3F)), put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | (c >> 18)), put(0x80 | ((c >> 12) & 0x3F)), put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string fileTextToUtf8(std::string_view bytes, bool* latin1)
{
    bool valid = true;
    for (std::size_t i = 0; valid && i < bytes.size();) {
        const auto next = nextCharacter(bytes, i);
        valid = next.has_value();
        i += valid ? next->second : 0;
    }
    if (latin1)
        *latin1 = !valid;
    if (valid)
        return std::string(bytes);
    std::string text;
    for (const char byte : bytes)
        appendUtf8(text, static_cast<unsigned char>(byte));
    return text;
}

std::optional<std::string> utf8ToLatin1(std::string_view utf8)
{
    std::string bytes;
    for (const char32_t c : decodeUtf8(utf8)) {
        if (c > 0xFF)
            return std::nullopt;
        bytes += static_cast<char>(c);
    }
    return bytes;
}

#include "ToneSetCatalog.h"

#include "ToneSetNames.h"

ToneSetCatalog::ToneSetCatalog()
{
    m_entries.push_back({std::string(kDtmf1EntryText), 0});
    m_entries.push_back({std::string(kDtmf2EntryText), 0});
}

namespace
{

// ASCII letters only: a name's other bytes may be in any code page.
bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

// The bytes of a UTF-8 text as Latin-1, when every character is in Latin-1.
std::optional<std::string> latin1Reading(std::string_view utf8)
{
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
            continue;
        }
        // Two-byte sequences from C2 80 to C3 BF are U+0080 to U+00FF.
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= utf8.size())
            return std::nullopt;
        const auto next = static_cast<unsigned char>(utf8[++i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        bytes += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
    }
    return bytes;
}

} // namespace

std::optional<int> ToneSetCatalog::indexOf(const std::string& name, std::string* ambiguity) const
{
    if (const auto index = exactIndexOf(name))
        return index;
    const auto latin1 = latin1Reading(name);
    if (latin1 && *latin1 != name) {
        if (const auto index = exactIndexOf(*latin1))
            return index;
    }
    // Then regardless of case, as people type a set's name: "zvei1" for ZVEI1. Two sets
    // whose names differ only in case are both named rather than one guessed.
    std::optional<int> found;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::string& text = i == 0   ? std::string("DTMF1")
                                  : i == 1 ? std::string("DTMF2")
                                           : m_entries[i].text;
        if (!sameIgnoringCase(text, name) && !(latin1 && sameIgnoringCase(text, *latin1)))
            continue;
        if (!found) {
            found = static_cast<int>(i);
        } else if (text != m_entries[static_cast<std::size_t>(*found)].text) {
            if (ambiguity)
                *ambiguity = "tone set '" + name + "' could be '" +
                             listText(m_entries[static_cast<std::size_t>(*found)].text) + "' or '" +
                             listText(text) + "'; give the name as it is written";
            return std::nullopt;
        }
    }
    return found;
}

std::string ToneSetCatalog::listText(std::string_view name)
{
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            text += "\\\\";
        else if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (c == '\t')
            text += "\\t";
        else if (byte < 0x20 || byte == 0x7F) {
            // Three octal digits: the escape ends there whatever follows it.
            text += '\\';
            text += static_cast<char>('0' + (byte >> 6));
            text += static_cast<char>('0' + ((byte >> 3) & 7));
            text += static_cast<char>('0' + (byte & 7));
        } else
            text += c;
    }
    return text;
}

std::optional<int> ToneSetCatalog::exactIndexOf(const std::string& name) const
{
    if (name == "DTMF1" || name == kDtmf1EntryText)
        return 0;
    if (name == "DTMF2" || name == kDtmf2EntryText)
        return 1;
    for (std::size_t i = 2; i < m_entries.size(); ++i) {
        if (m_entries[i].text == name)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

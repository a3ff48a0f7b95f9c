#pragma once

#include "ToneSetSelector.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The tone sets the command line can choose from, in selector order: the two DTMF
// sets at 0 and 1, then the file's sets. For a file set, itemData is its default
// tone duration in milliseconds.
struct ToneSetEntry {
    std::string text;
    std::int32_t itemData = 0;
};

class ToneSetCatalog : public ToneSetSelector
{
public:
    ToneSetCatalog();

    // The tone-set file reader fills the catalogue as it fills the window's selector.
    int entryCount() const override { return static_cast<int>(m_entries.size()); }
    void appendEntry(const std::string& text) override { m_entries.push_back({text, 0}); }
    void setItemData(int index, std::int32_t value) override
    {
        m_entries.at(static_cast<std::size_t>(index)).itemData = value;
    }

    void append(ToneSetEntry entry) { m_entries.push_back(std::move(entry)); }
    const std::vector<ToneSetEntry>& entries() const { return m_entries; }

    // The index of a set by name: "DTMF1" and "DTMF2" or their entry texts, else the
    // first file set whose name matches exactly, else the one whose name matches ignoring the
    // case of ASCII letters. The name comes in UTF-8; a file written in a single-byte code page
    // holds names that are not, so its Latin-1 reading is tried too. A name that matches two
    // different names ignoring case finds none, and ambiguity says which two.
    std::optional<int> indexOf(const std::string& name, std::string* ambiguity = nullptr) const;

    // --list's text for a name: one line, one field. Control characters are written as C
    // escapes (\r, \n, \t, others in octal) and a backslash as \\, so that a name holding
    // CR LF or a TAB cannot break the line or add a column.
    static std::string listText(std::string_view name);

private:
    std::optional<int> exactIndexOf(const std::string& name) const;

    std::vector<ToneSetEntry> m_entries;
};

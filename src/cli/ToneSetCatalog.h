#pragma once

#include "ToneSetSelector.h"

#include <cstdint>
#include <optional>
#include <string>
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
    // first file set whose name matches exactly.
    std::optional<int> indexOf(const std::string& name) const;

private:
    std::vector<ToneSetEntry> m_entries;
};

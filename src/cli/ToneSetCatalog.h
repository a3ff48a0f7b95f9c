#pragma once

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

class ToneSetCatalog {
public:
    ToneSetCatalog();

    void append(ToneSetEntry entry) { m_entries.push_back(std::move(entry)); }
    const std::vector<ToneSetEntry>& entries() const { return m_entries; }

    // The index of a set by name: "DTMF1" and "DTMF2" or their entry texts, else the
    // first file set whose name matches exactly.
    std::optional<int> indexOf(const std::string& name) const;

private:
    std::vector<ToneSetEntry> m_entries;
};

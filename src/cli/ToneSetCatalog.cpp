#include "ToneSetCatalog.h"

#include "ToneSetNames.h"

ToneSetCatalog::ToneSetCatalog()
{
    m_entries.push_back({std::string(kDtmf1EntryText), 0});
    m_entries.push_back({std::string(kDtmf2EntryText), 0});
}

std::optional<int> ToneSetCatalog::indexOf(const std::string& name) const
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

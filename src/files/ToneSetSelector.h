#pragma once

#include <cstdint>
#include <string>

// What the tone-set file reader needs of the tone-set selector `cmbTone`: its entries, each
// a text and a 32-bit per-item integer, in the order they were appended. The window
// implements it over its combo box; the command line over its catalogue.
class ToneSetSelector
{
public:
    virtual ~ToneSetSelector() = default;

    virtual int entryCount() const = 0;
    virtual void appendEntry(const std::string& text) = 0;
    virtual void setItemData(int index, std::int32_t value) = 0;
};

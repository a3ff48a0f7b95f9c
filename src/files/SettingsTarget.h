#pragma once

#include <cstdint>
#include <string>

// What the settings file reads from and writes into: the main window, its selector and its
// controls. The window implements it; the setters behave as setting the control by code
// does, so their change handlers run inside them.
class SettingsTarget
{
public:
    virtual ~SettingsTarget() = default;

    // The window's left and top edges, in twips (15 to a pixel at 96 dots per inch).
    virtual float windowLeft() const = 0;
    virtual float windowTop() const = 0;
    virtual void setWindowLeft(float twips) = 0;
    virtual void setWindowTop(float twips) = 0;

    // The selector. setListIndex runs cmbTone_Click, and refuses (returns false, changing
    // nothing) an index below -1 or not less than entryCount().
    virtual int entryCount() const = 0;
    virtual int listIndex() const = 0;
    virtual bool setListIndex(int index) = 0;

    // The texts of Text1 to Text4, box 1 to 4.
    virtual std::string text(int box) const = 0;
    virtual void setText(int box, const std::string& text) = 0;

    // The value of chkE: 0 clear, 1 ticked, 2 greyed. setCheckValue runs chkE_Click when the
    // value changes, and refuses (returns false, changing nothing) any other value.
    virtual std::int16_t checkValue() const = 0;
    virtual bool setCheckValue(std::int16_t value) = 0;
};

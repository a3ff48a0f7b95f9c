#pragma once

#include "SettingsTarget.h"
#include "ToneSetNames.h"
#include "ToneSetSelector.h"

#include <array>
#include <string>
#include <vector>

// The parts of frmTone that the two files reach, with the window's design values and the
// selector's presets (cmbTone_Click, chkE_Click), recording every change in order.
class FakeWindow : public ToneSetSelector, public SettingsTarget
{
public:
    struct Entry {
        std::string text;
        std::int32_t itemData = 0;
        bool itemDataSet = false;
    };

    std::vector<Entry> entries{{std::string(kDtmf1EntryText), 0, false},
                               {std::string(kDtmf2EntryText), 0, false}};
    float left = 1234;
    float top = 5678;
    int index = -1;
    std::array<std::string, 4> texts{"0123456789ABCDEF", "50", "0", "350"};
    std::int16_t check = 0;
    bool checkEnabled = true;
    bool UseRepeatTone = false;
    std::string SavedPauseText;
    std::int16_t SavedRepeatValue = 0;
    bool DtmfPresetActive = false;
    std::vector<std::string> log;

    int entryCount() const override { return static_cast<int>(entries.size()); }
    void appendEntry(const std::string& text) override { entries.push_back({text, 0, false}); }
    void setItemData(int i, std::int32_t value) override
    {
        entries.at(static_cast<std::size_t>(i)).itemData = value;
        entries.at(static_cast<std::size_t>(i)).itemDataSet = true;
    }

    float windowLeft() const override { return left; }
    float windowTop() const override { return top; }
    void setWindowLeft(float twips) override
    {
        left = twips;
        log.push_back("left " + std::to_string(static_cast<int>(twips)));
    }
    void setWindowTop(float twips) override
    {
        top = twips;
        log.push_back("top " + std::to_string(static_cast<int>(twips)));
    }

    int listIndex() const override { return index; }
    bool setListIndex(int k) override
    {
        if (k < -1 || k >= entryCount())
            return false;
        index = k;
        log.push_back("index " + std::to_string(k));
        cmbTone_Click();
        return true;
    }

    std::string text(int box) const override { return texts.at(static_cast<std::size_t>(box - 1)); }
    void setText(int box, const std::string& value) override
    {
        texts.at(static_cast<std::size_t>(box - 1)) = value;
        log.push_back("Text" + std::to_string(box) + " " + value);
    }

    std::int16_t checkValue() const override { return check; }
    bool setCheckValue(std::int16_t value) override
    {
        if (value < 0 || value > 2)
            return false;
        if (value != check) {
            check = value;
            log.push_back("chkE " + std::to_string(value));
            UseRepeatTone = check != 0; // chkE_Click
        }
        return true;
    }

private:
    void cmbTone_Click()
    {
        const int k = index;
        if (k == 0 || k == 1) {
            if (!DtmfPresetActive) {
                SavedPauseText = texts[2];
                SavedRepeatValue = check;
                setCheckValue(0);
                checkEnabled = false;
                DtmfPresetActive = true;
            }
            texts[1] = k == 0 ? "100" : "250";
            texts[2] = k == 0 ? "60" : "70";
            return;
        }
        if (k < 0)
            return;
        if (DtmfPresetActive) {
            texts[2] = SavedPauseText;
            setCheckValue(SavedRepeatValue);
            DtmfPresetActive = false;
        }
        texts[1] = std::to_string(entries[static_cast<std::size_t>(k)].itemData);
        checkEnabled = true;
    }
};

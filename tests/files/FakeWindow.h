#pragma once

#include "SettingsTarget.h"
#include "ToneSetSelector.h"

#include <array>
#include <vector>

// The parts of frmTone that the two files reach, logging every change in order (a text as
// "box=text"). It starts with the two DTMF entries and `sets` file sets; an appended entry
// shows -99999, outside any 16-bit duration, until its item data is set.
struct FakeWindow : ToneSetSelector, SettingsTarget {
    explicit FakeWindow(int sets = 0) : entries(2 + sets, {"Set", 70}) {}

    std::vector<std::pair<std::string, std::int32_t>> entries;
    int left = 1234, top = 5678, index = -1, check = 0;
    std::array<std::string, 4> texts;
    std::string log;

    // Sets a value as the window does; one out of range is refused, changing nothing.
    bool change(const char* what, int& into, int value, int low = -(1 << 30), int high = 1 << 30)
    {
        return value >= low && value <= high &&
               (log += what + std::to_string(into = value) + ' ', true);
    }
    int entryCount() const override { return static_cast<int>(entries.size()); }
    void appendEntry(const std::string& text) override { entries.emplace_back(text, -99999); }
    void setItemData(int i, std::int32_t value) override { entries.at(i).second = value; }
    float windowLeft() const override { return static_cast<float>(left); }
    float windowTop() const override { return static_cast<float>(top); }
    void setWindowLeft(float x) override { change("left ", left, static_cast<int>(x)); }
    void setWindowTop(float y) override { change("top ", top, static_cast<int>(y)); }
    int listIndex() const override { return index; }
    bool setListIndex(int i) override { return change("index ", index, i, -1, entryCount() - 1); }
    std::string text(int box) const override { return texts.at(box - 1); }
    void setText(int box, const std::string& value) override
    {
        log += std::to_string(box) + "=" + (texts.at(box - 1) = value) + ' ';
    }
    std::int16_t checkValue() const override { return static_cast<std::int16_t>(check); }
    bool setCheckValue(std::int16_t value) override { return change("chkE ", check, value, 0, 2); }
};

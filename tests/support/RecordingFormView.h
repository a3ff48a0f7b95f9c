#pragma once

#include "FormView.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The window's controls with no display: each holds its value, starting from the designed
// ones, and every change the handlers make is logged in order ("Text2=100", "chkE=0",
// "chkE off", "index 3", "caption=...", "keys", "dismiss", "close"). onClose runs for a close
// request, as a view's close button would run the form's close handlers.
class RecordingFormView : public FormView
{
public:
    std::map<Control, std::string> texts = {{Control::Text1, "0123456789ABCDEF"},
                                            {Control::Text2, "50"},
                                            {Control::Text3, "0"},
                                            {Control::Text4, "350"},
                                            {Control::Label3, "Tone Sequence(s)"}};
    std::map<Control, bool> enabled;
    std::vector<std::pair<std::string, std::int32_t>> entries = {{"DTMF1(E=* F=#)", 0},
                                                                 {"DTMF2(E=* F=#)", 0}};
    std::string windowCaption;
    float x = 0, y = 0;
    std::int16_t check = 0;
    int index = -1;
    std::vector<std::string> log;
    std::function<void()> onClose = [] {};

    bool isEnabled(Control control) const
    {
        return !enabled.contains(control) || enabled.at(control);
    }
    // The log since the last call, joined by blanks.
    std::string takeLog()
    {
        std::string joined;
        for (const std::string& entry : log)
            joined += (joined.empty() ? "" : " ") + entry;
        log.clear();
        return joined;
    }

    std::string caption() const override { return windowCaption; }
    void setCaption(const std::string& text) override
    {
        log.push_back("caption=" + (windowCaption = text));
    }
    float left() const override { return x; }
    float top() const override { return y; }
    void setLeft(float twips) override { x = twips; }
    void setTop(float twips) override { y = twips; }
    void keepOnScreen() override {}
    std::string text(Control control) const override { return texts.at(control); }
    void setText(Control control, const std::string& text) override
    {
        log.push_back(name(control) + "=" + (texts[control] = text));
    }
    void setControlEnabled(Control control, bool on) override
    {
        enabled[control] = on;
        log.push_back(name(control) + (on ? " on" : " off"));
    }
    std::int16_t checkValue() const override { return check; }
    void setCheckValue(std::int16_t value) override
    {
        log.push_back("chkE=" + std::to_string(check = value));
    }
    int entryCount() const override { return static_cast<int>(entries.size()); }
    void appendEntry(const std::string& text) override { entries.emplace_back(text, 0); }
    std::int32_t itemData(int i) const override { return entries.at(i).second; }
    void setItemData(int i, std::int32_t value) override { entries.at(i).second = value; }
    int listIndex() const override { return index; }
    void setListIndex(int i) override { log.push_back("index " + std::to_string(index = i)); }
    void sendHomeShiftEnd() override { log.push_back("keys"); }
    void dismissMessageBoxes() override { log.push_back("dismiss"); }
    void closeWindow() override
    {
        log.push_back("close");
        onClose();
    }

    static std::string name(Control control)
    {
        static const char* const names[] = {"Text1",  "Text2", "Text3",   "Text4",
                                            "Label3", "chkE",  "cmbTone", "cmdTone"};
        return names[static_cast<int>(control)];
    }
};

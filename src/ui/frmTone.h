#pragma once

#include "FormView.h"
#include "SettingsTarget.h"
#include "ToneSetSelector.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class Messages;
class SequencePlayer;
struct modTone;

// The main window's behaviour: its handlers, named after control and event, and its state,
// over the controls that a view shows (FormView). It knows no toolkit. The tone-set file
// fills its selector and the settings file reads and restores its controls through the two
// interfaces; setting the index or the check value there runs the change handlers, as
// setting the control by code does.
class frmTone : public ToneSetSelector, public SettingsTarget
{
public:
    using Control = FormView::Control;

    frmTone(modTone& module, SequencePlayer& player, Messages& messages, FormView& view);
    ~frmTone() override;
    frmTone(const frmTone&) = delete;
    frmTone& operator=(const frmTone&) = delete;

    // Load and unload: run by Main before the first show, and when a close goes through.
    void Form_Load();
    void Form_Unload();
    // True refuses the close: a sequence is playing.
    bool Form_QueryUnload();

    void cmbTone_Click();
    void chkE_Click();
    void cmdTone_Click();
    // KeyAscii is the typed character's code; set to 0 it is discarded.
    void Text1_KeyPress(int& KeyAscii);
    void Text1_KeyUp();
    void Text1_Click();
    void Text2_Click();
    void Text3_Click();
    void Text4_Click();

    // Escape stops the play that a Send waits for, when playStoppable().
    bool playStoppable() const;
    void stopPlay();
    // A close asked for from outside the window (a termination signal): a play is stopped
    // first, and the window closes once the Send has unwound, as a close when idle does.
    void closeFromOutside();

    // "Quorvel v3": the caption while nothing has been sent, and the title of its messages.
    static std::string captionBase();

    // ToneSetSelector and SettingsTarget, over the view's controls.
    int entryCount() const override;
    void appendEntry(const std::string& text) override;
    void setItemData(int index, std::int32_t value) override;
    float windowLeft() const override;
    float windowTop() const override;
    void setWindowLeft(float twips) override;
    void setWindowTop(float twips) override;
    int listIndex() const override;
    bool setListIndex(int index) override;
    std::string text(int box) const override;
    void setText(int box, const std::string& text) override;
    std::int16_t checkValue() const override;
    bool setCheckValue(std::int16_t value) override;

private:
    std::optional<std::array<double, 3>> durationBoxes();
    void closeIfRequested();
    bool playing() const;

    modTone& m_module;
    SequencePlayer& m_player;
    Messages& m_messages;
    FormView& m_view;

    // The selector's presets (see cmbTone_Click).
    std::string SavedPauseText;
    std::int16_t SavedRepeatValue = 0;
    bool DtmfPresetActive = false;

    // A close from outside waits for the stopped play to unwind: closing while Playing is
    // still set would be refused with a message.
    bool m_closeRequested = false;
    // Per text box: its text came from the settings file as single-byte Latin-1, and goes
    // back as such, so that a byte such as E9 does not come back as C3 A9.
    std::array<bool, 4> m_latin1Texts{};
};

#pragma once

#include "SettingsTarget.h"
#include "ToneSetSelector.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

class Messages;
class PlaybackCycle;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioSend;
class RepeatCheckBox;
struct modTone;

// The main window: the tone-set selector with its presets, the repeat-tone option, the
// sequence box, the three duration boxes and the Send button. Its handlers are named after
// control and event; the tone-set file fills its selector and the settings file reads and
// restores its controls through the two interfaces.
class frmTone : public QWidget, public ToneSetSelector, public SettingsTarget
{
    Q_OBJECT
public:
    frmTone(modTone& module, PlaybackCycle& cycle, Messages& messages, QWidget* parent = nullptr);
    ~frmTone() override;

    // The controls, in creation order; each one's objectName is its member name.
    QLineEdit* Text4;
    RepeatCheckBox* chkE;
    QComboBox* cmbTone;
    QLineEdit* Text3;
    QLineEdit* Text2;
    QPushButton* cmdTone;
    QLineEdit* Text1;
    QLabel* Label6;
    QLabel* Label5;
    QLabel* Label4;
    QLabel* Label3;
    QLabel* Label2;
    QLabel* Label1;

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

    // Escape, with the focus anywhere in the window: stops the play that the Send waits for.
    // Nothing happens when nothing plays.
    void stopPlay();
    // A close asked for from outside the window (a termination signal): a play is stopped
    // first, and the window closes once the Send has unwound, as a close when idle does.
    void closeFromOutside();

    // With a radio's options, Send keys a line around the play through this; never set, the
    // window plays as it always has.
    void setRadioSend(RadioSend* send) { m_radioSend = send; }

    // "Quorvel v3": the caption while nothing has been sent, and the title of its messages.
    static QString captionBase();

    // ToneSetSelector, over cmbTone.
    int entryCount() const override;
    void appendEntry(const std::string& text) override;
    void setItemData(int index, std::int32_t value) override;

    // SettingsTarget, over the window and its controls.
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

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void setFocusOrder();
    void describeForScreenReaders();
    void connectHandlers();
    bool filterText1Key(QKeyEvent* key);
    void closeIfRequested();
    void selectWholeText(QLineEdit* box);
    std::optional<std::array<double, 3>> durationBoxes();
    void showMessage(const std::string& text, const std::string& title);
    QLineEdit* box(int number) const;
    // A keyed send is under way (its wait for the line, lead and tail included).
    bool sending() const;

    modTone& m_module;
    PlaybackCycle& m_cycle;
    Messages& m_messages;
    RadioSend* m_radioSend = nullptr;

    // The selector's presets (see cmbTone_Click).
    QString SavedPauseText;
    std::int16_t SavedRepeatValue = 0;
    bool DtmfPresetActive = false;

    // A user's pick emits a change (for a new entry) and then an activation; cmbTone_Click
    // runs on the change, and on the activation only when no change came first, so that
    // re-picking the current entry runs it once and picking another does not run it twice.
    bool m_selectionHandled = false;
    // A close from outside waits for the stopped play to unwind: closing while Playing is
    // still set would be refused with a message.
    bool m_closeRequested = false;
    // Set while a key event re-sent with its character upper-cased passes the filter.
    bool m_forwardingKey = false;
    // Per text box: its text came from the settings file as single-byte Latin-1, and goes
    // back as such, so that a byte such as E9 does not come back as C3 A9.
    std::array<bool, 4> m_latin1Texts{};
};

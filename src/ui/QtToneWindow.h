#pragma once

#include "CyclePlayer.h"
#include "FormView.h"
#include "frmTone.h"

#include <QWidget>

class Messages;
class PlaybackCycle;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioSend;
class RepeatCheckBox;
struct modTone;

// The main window on Qt Widgets: the controls at their twips geometry, with their fonts,
// tooltips and focus order. It forwards the user's events to the handlers of frmTone, which
// it owns, and shows what they set.
class QtToneWindow : public QWidget, public FormView
{
    Q_OBJECT
public:
    QtToneWindow(modTone& module, PlaybackCycle& cycle, Messages& messages,
                 QWidget* parent = nullptr);
    ~QtToneWindow() override;

    frmTone& form() { return m_form; }
    // With a radio's options, Send keys a line around the play through this.
    void setRadioSend(RadioSend* send) { m_player.setRadioSend(send); }

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

    // FormView.
    std::string caption() const override;
    void setCaption(const std::string& text) override;
    float left() const override;
    float top() const override;
    void setLeft(float twips) override;
    void setTop(float twips) override;
    void keepOnScreen() override;
    std::string text(Control control) const override;
    void setText(Control control, const std::string& text) override;
    void setControlEnabled(Control control, bool enabled) override;
    std::int16_t checkValue() const override;
    void setCheckValue(std::int16_t value) override;
    int entryCount() const override;
    void appendEntry(const std::string& text) override;
    std::int32_t itemData(int index) const override;
    void setItemData(int index, std::int32_t value) override;
    int listIndex() const override;
    void setListIndex(int index) override;
    void sendHomeShiftEnd() override;
    void dismissMessageBoxes() override;
    void closeWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void setFocusOrder();
    void describeForScreenReaders();
    void connectHandlers();
    bool filterText1Key(QKeyEvent* key);
    QWidget* control(Control control) const;

    CyclePlayer m_player;
    frmTone m_form;
    // The box whose click asked for its text to be selected, for when no control has the focus.
    QWidget* m_clickedBox = nullptr;
    // Set while a key event re-sent with its character upper-cased passes the filter.
    bool m_forwardingKey = false;
};

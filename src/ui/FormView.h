#pragma once

#include <cstdint>
#include <string>

// The main window's controls as its handlers see them: what frmTone reads and sets, and
// nothing of any toolkit. Each view (Qt Widgets on Linux, Win32 on Windows) creates the
// controls, implements this, and forwards the user's events to frmTone's handlers.
//
// Setting a value here runs no handler: frmTone runs cmbTone_Click and chkE_Click itself
// where setting by code must run them, so every view follows the same rule. A view forwards
// only what the user does: a pick in the selector (the current entry included) and a click
// on the check box (which takes it from 0 or 2 to 1, and from 1 to 0).
//
// Texts are UTF-8.
class FormView
{
public:
    enum class Control { Text1, Text2, Text3, Text4, Label3, chkE, cmbTone, cmdTone };

    virtual ~FormView() = default;

    // The window: its caption, and its left and top edges in twips (15 to a pixel at 96 dpi).
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual float left() const = 0;
    virtual float top() const = 0;
    virtual void setLeft(float twips) = 0;
    virtual void setTop(float twips) = 0;
    // Moves a window whose title bar no screen shows to the nearest place where one does.
    virtual void keepOnScreen() = 0;

    // A text box's text or a label's caption. A text longer than a box's character limit is
    // cut to the limit, as typing would cut it.
    virtual std::string text(Control control) const = 0;
    virtual void setText(Control control, const std::string& text) = 0;
    virtual void setControlEnabled(Control control, bool enabled) = 0;

    // chkE: 0 clear, 1 ticked, 2 greyed; frmTone sets only these.
    virtual std::int16_t checkValue() const = 0;
    virtual void setCheckValue(std::int16_t value) = 0;

    // cmbTone: its entries in the order added, each with a 32-bit per-item integer, and the
    // selected index, -1 for none. frmTone sets only an index from -1 to count() - 1.
    virtual int entryCount() const = 0;
    virtual void appendEntry(const std::string& text) = 0;
    virtual std::int32_t itemData(int index) const = 0;
    virtual void setItemData(int index, std::int32_t value) = 0;
    virtual int listIndex() const = 0;
    virtual void setListIndex(int index) = 0;

    // Home, then Shift+End, sent to the control that has the focus and not waited for: the
    // caret goes to the start and the whole text is selected.
    virtual void sendHomeShiftEnd() = 0;
    // Closes any message box open over the window, as if dismissed.
    virtual void dismissMessageBoxes() = 0;
    // Asks the window to close, as its close button does: Form_QueryUnload, then Form_Unload.
    virtual void closeWindow() = 0;
};

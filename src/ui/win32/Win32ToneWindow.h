#pragma once

#include "FormView.h"
#include "PlainCyclePlayer.h"
#include "frmTone.h"

#include <array>
#include <windows.h>

class Messages;
class PlaybackCycle;
struct modTone;

// The main window on Win32: native controls at their twips geometry, scaled to the window's
// monitor, with the fonts, tooltips and focus order of the Qt window. It forwards the user's
// events to the handlers of frmTone, which it owns, and shows what they set.
class Win32ToneWindow : public FormView
{
public:
    // The controls: the focus order first (the order of creation is the order of Tab), then
    // the labels, which lie beneath the others where they overlap.
    enum Id : int {
        Text1 = 100,
        cmdTone,
        Text2,
        Text3,
        cmbTone,
        chkE,
        Text4,
        Label6,
        Label5,
        Label4,
        Label3,
        Label2,
        Label1
    };

    Win32ToneWindow(modTone& module, PlaybackCycle& cycle, Messages& messages);
    ~Win32ToneWindow() override;
    Win32ToneWindow(const Win32ToneWindow&) = delete;
    Win32ToneWindow& operator=(const Win32ToneWindow&) = delete;

    // Creates the window hidden, with its controls; false when the system refuses.
    bool create(HINSTANCE instance);
    void show();
    HWND handle() const { return m_window; }
    frmTone& form() { return m_form; }

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

private:
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK boxProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    void command(int id, int code);
    bool queryEndSession();
    void createControls(HINSTANCE instance);
    void createToolTips(HINSTANCE instance);
    void layOut();
    void makeFonts();
    int pixels(double twips) const;
    HWND control(Control control) const;
    HWND item(int id) const { return GetDlgItem(m_window, id); }

    PlainCyclePlayer m_player;
    frmTone m_form;
    HWND m_window = nullptr;
    HWND m_toolTips = nullptr;
    UINT m_dpi = 96;
    HFONT m_windowFont = nullptr;
    HFONT m_sequenceFont = nullptr;
    std::int16_t m_checkValue = 0;
    // The selector's index when its list opened: a pick of that same entry sends no change,
    // and still runs the handler.
    int m_indexAtDrop = -1;
    bool m_unloaded = false;
};

// What the handlers read and set of the window's controls.
#include "Win32Text.h"
#include "Win32ToneWindow.h"

#include <cmath>

HWND Win32ToneWindow::control(Control which) const
{
    switch (which) {
    case Control::Text1:
        return item(Text1);
    case Control::Text2:
        return item(Text2);
    case Control::Text3:
        return item(Text3);
    case Control::Text4:
        return item(Text4);
    case Control::Label3:
        return item(Label3);
    case Control::chkE:
        return item(chkE);
    case Control::cmbTone:
        return item(cmbTone);
    case Control::cmdTone:
        return item(cmdTone);
    }
    return item(Text1);
}

std::string Win32ToneWindow::caption() const
{
    return narrow(windowText(m_window));
}

void Win32ToneWindow::setCaption(const std::string& text)
{
    SetWindowTextW(m_window, widen(text).c_str());
}

// The window's outer edges, in twips of the window's own dots per inch.
float Win32ToneWindow::left() const
{
    RECT frame{};
    GetWindowRect(m_window, &frame);
    return static_cast<float>(std::lround(frame.left * 1440.0 / m_dpi));
}

float Win32ToneWindow::top() const
{
    RECT frame{};
    GetWindowRect(m_window, &frame);
    return static_cast<float>(std::lround(frame.top * 1440.0 / m_dpi));
}

void Win32ToneWindow::setLeft(float twips)
{
    RECT frame{};
    GetWindowRect(m_window, &frame);
    SetWindowPos(m_window, nullptr, pixels(twips), frame.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32ToneWindow::setTop(float twips)
{
    RECT frame{};
    GetWindowRect(m_window, &frame);
    SetWindowPos(m_window, nullptr, frame.left, pixels(twips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A window whose title bar lies on no monitor cannot be seen or dragged back: it goes to the
// nearest place on the primary monitor's work area where it fits.
void Win32ToneWindow::keepOnScreen()
{
    RECT frame{};
    GetWindowRect(m_window, &frame);
    const RECT titleBar{frame.left, frame.top, frame.right,
                        frame.top + GetSystemMetricsForDpi(SM_CYCAPTION, m_dpi)};
    if (MonitorFromRect(&titleBar, MONITOR_DEFAULTTONULL))
        return;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
    const LONG x = std::max(work.left, std::min(frame.left, work.right - width));
    const LONG y = std::max(work.top, std::min(frame.top, work.bottom - height));
    SetWindowPos(m_window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string Win32ToneWindow::text(Control which) const
{
    return narrow(windowText(control(which)));
}

// A box cuts a text beyond its limit, as typing would; the system sets any length.
void Win32ToneWindow::setText(Control which, const std::string& text)
{
    const HWND shown = control(which);
    std::wstring wide = widen(text);
    if (which != Control::Label3) {
        const auto limit = static_cast<std::size_t>(SendMessageW(shown, EM_GETLIMITTEXT, 0, 0));
        if (wide.size() > limit)
            wide.resize(limit);
    }
    SetWindowTextW(shown, wide.c_str());
}

void Win32ToneWindow::setControlEnabled(Control which, bool enabled)
{
    EnableWindow(control(which), enabled);
}

std::int16_t Win32ToneWindow::checkValue() const
{
    return m_checkValue;
}

void Win32ToneWindow::setCheckValue(std::int16_t value)
{
    m_checkValue = value;
    const WPARAM state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    SendMessageW(item(chkE), BM_SETCHECK, state, 0);
}

int Win32ToneWindow::entryCount() const
{
    return static_cast<int>(SendMessageW(item(cmbTone), CB_GETCOUNT, 0, 0));
}

void Win32ToneWindow::appendEntry(const std::string& text)
{
    const std::wstring wide = widen(text);
    SendMessageW(item(cmbTone), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::int32_t Win32ToneWindow::itemData(int index) const
{
    const LRESULT data = SendMessageW(item(cmbTone), CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == CB_ERR ? 0 : static_cast<std::int32_t>(data);
}

void Win32ToneWindow::setItemData(int index, std::int32_t value)
{
    SendMessageW(item(cmbTone), CB_SETITEMDATA, static_cast<WPARAM>(index),
                 static_cast<LPARAM>(value));
}

int Win32ToneWindow::listIndex() const
{
    return static_cast<int>(SendMessageW(item(cmbTone), CB_GETCURSEL, 0, 0));
}

void Win32ToneWindow::setListIndex(int index)
{
    SendMessageW(item(cmbTone), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Posted, not sent: the box takes the selection after its click has been handled. Home, then
// Shift+End, leaves the whole single line selected, as this does.
void Win32ToneWindow::sendHomeShiftEnd()
{
    if (const HWND focus = GetFocus())
        PostMessageW(focus, EM_SETSEL, 0, -1);
}

namespace
{

BOOL CALLBACK closeBox(HWND window, LPARAM)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0)
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

} // namespace

void Win32ToneWindow::dismissMessageBoxes()
{
    EnumThreadWindows(GetCurrentThreadId(), closeBox, 0);
}

void Win32ToneWindow::closeWindow()
{
    SendMessageW(m_window, WM_CLOSE, 0, 0);
}

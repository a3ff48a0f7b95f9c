// The user's events, forwarded to the handlers: the selector, the option, the button, the
// keys and clicks of the boxes, Escape, the close request and the end of the session.
#include "Win32ToneWindow.h"

#include <commctrl.h>

LRESULT CALLBACK Win32ToneWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32ToneWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->m_window)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT Win32ToneWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        if (m_form.Form_QueryUnload())
            return 0;
        if (!m_unloaded)
            m_form.Form_Unload();
        m_unloaded = true;
        DestroyWindow(m_window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        return queryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
        // Saved again: what was typed after the query is not lost when the session ends.
        if (wParam && !m_unloaded) {
            m_form.Form_Unload();
            m_unloaded = true;
        }
        return 0;
    case WM_DPICHANGED: {
        m_dpi = HIWORD(wParam);
        makeFonts();
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        layOut();
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        // Labels and the check box on the window's face, as the window paints it.
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
        return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

// A log-off or a shutdown ends the window as a close does, so that what was typed is saved; a
// play is stopped first, rather than refusing the end of the session.
bool Win32ToneWindow::queryEndSession()
{
    if (m_form.playStoppable())
        m_form.stopPlay();
    m_form.Form_Unload();
    return true;
}

void Win32ToneWindow::command(int id, int code)
{
    switch (id) {
    case cmdTone:
        if (code == BN_CLICKED)
            m_form.cmdTone_Click();
        break;
    case chkE:
        // The box does not tick itself: a click takes 0 or 2 to 1, and 1 to 0.
        if (code == BN_CLICKED) {
            setCheckValue(m_checkValue == 1 ? 0 : 1);
            m_form.chkE_Click();
        }
        break;
    case cmbTone:
        if (code == CBN_DROPDOWN) {
            m_indexAtDrop = listIndex();
        } else if (code == CBN_CLOSEUP) {
            m_indexAtDrop = -2; // the pick, if any, has been handled
        } else if (code == CBN_SELCHANGE) {
            m_form.cmbTone_Click();
        } else if (code == CBN_SELENDOK && listIndex() == m_indexAtDrop) {
            m_indexAtDrop = -2;
            m_form.cmbTone_Click();
        }
        break;
    case IDCANCEL:
        // Escape, wherever the focus is: no button reacts to it by itself.
        if (m_form.playStoppable())
            m_form.stopPlay();
        break;
    default:
        break; // IDOK: Enter reacts only in the sequence box, which takes it itself
    }
}

LRESULT CALLBACK Win32ToneWindow::boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self)
{
    return reinterpret_cast<Win32ToneWindow*>(self)->handleBox(box, message, wParam, lParam);
}

LRESULT Win32ToneWindow::handleBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int id = GetDlgCtrlID(box);
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter in the sequence box is the box's own key, not the dialog's default button.
        LRESULT code = DefSubclassProc(box, message, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (id == Text1 && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_CHAR:
        if (id == Text1) {
            int KeyAscii = static_cast<int>(wParam);
            m_form.Text1_KeyPress(KeyAscii);
            if (KeyAscii == 0)
                return 0;
            wParam = static_cast<WPARAM>(KeyAscii);
        }
        break;
    case WM_KEYUP:
        if (id == Text1) {
            const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
            m_form.Text1_KeyUp();
            return result;
        }
        break;
    case WM_LBUTTONUP: {
        const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
        if (id == Text1)
            m_form.Text1_Click();
        else if (id == Text2)
            m_form.Text2_Click();
        else if (id == Text3)
            m_form.Text3_Click();
        else if (id == Text4)
            m_form.Text4_Click();
        return result;
    }
    case WM_MOUSEWHEEL:
        // The wheel may change the set only once the selector has the focus: rolling over it
        // must not overwrite a duration with a preset.
        if (id == cmbTone && GetFocus() != box)
            return SendMessageW(m_window, message, wParam, lParam);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(box, &Win32ToneWindow::boxProc, 0);
        break;
    default:
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

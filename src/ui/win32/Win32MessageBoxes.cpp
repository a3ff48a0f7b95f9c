#include "Win32MessageBoxes.h"

#include "Win32Text.h"

void Win32MessageBoxes::show(const std::string& text, const std::string& title, Icon icon)
{
    const HWND owner = m_owner && IsWindowVisible(m_owner) ? m_owner : nullptr;
    const UINT style = MB_OK | (icon == Icon::Critical ? MB_ICONERROR : MB_ICONINFORMATION) |
                       (owner ? 0u : MB_TASKMODAL);
    MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(), style);
}

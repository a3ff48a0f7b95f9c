#include "Win32EventPump.h"

#include <algorithm>

Win32EventPump::Win32EventPump() : m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

Win32EventPump::~Win32EventPump()
{
    if (m_wake)
        CloseHandle(m_wake);
}

bool Win32EventPump::dispatch(const MSG& message)
{
    if (message.message == WM_QUIT)
        return false;
    if (m_dialog && IsWindow(m_dialog) && IsDialogMessageW(m_dialog, const_cast<MSG*>(&message)))
        return true;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

void Win32EventPump::processPendingEvents()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!dispatch(message)) {
            // The outer loop ends the program once the Send that waits here has returned.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
    }
}

void Win32EventPump::waitForEvents(std::chrono::milliseconds limit)
{
    const auto ms = static_cast<DWORD>(std::clamp<long long>(limit.count(), 0, 0x7FFFFFFF));
    MsgWaitForMultipleObjectsEx(m_wake ? 1 : 0, &m_wake, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    processPendingEvents();
}

void Win32EventPump::wakeUp()
{
    if (m_wake)
        SetEvent(m_wake);
}

#pragma once

#include "EventPump.h"

#include <windows.h>

// The window thread's message queue, pumped from inside a handler while a play is waited for.
// Dialog keys (Tab, Escape, Enter) are translated for the main window as its own loop does.
class Win32EventPump : public EventPump
{
public:
    Win32EventPump();
    ~Win32EventPump() override;
    Win32EventPump(const Win32EventPump&) = delete;
    Win32EventPump& operator=(const Win32EventPump&) = delete;

    void setDialogWindow(HWND window) { m_dialog = window; }
    // Dispatches one message; false for WM_QUIT.
    bool dispatch(const MSG& message);

    void processPendingEvents() override;
    void waitForEvents(std::chrono::milliseconds limit) override;
    void wakeUp() override;

private:
    HWND m_dialog = nullptr;
    HANDLE m_wake; // set from the sound's thread when the play ends
};

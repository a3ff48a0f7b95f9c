#include "ConsoleEventPump.h"

#include <algorithm>
#include <windows.h>

ConsoleEventPump::ConsoleEventPump() : m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

ConsoleEventPump::~ConsoleEventPump()
{
    if (m_wake)
        CloseHandle(m_wake);
}

void ConsoleEventPump::watch(void* event, std::function<void()> onSignalled)
{
    if (event)
        m_watched.emplace_back(event, std::move(onSignalled));
}

bool ConsoleEventPump::waitOnce(unsigned long timeoutMs)
{
    std::vector<HANDLE> handles;
    if (m_wake)
        handles.push_back(m_wake);
    for (const auto& watched : m_watched)
        handles.push_back(watched.first);
    if (handles.empty()) {
        Sleep(timeoutMs);
        return false;
    }
    const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(),
                                                FALSE, timeoutMs);
    if (result < WAIT_OBJECT_0 || result >= WAIT_OBJECT_0 + handles.size())
        return false; // the time is up, or the wait failed: the caller's deadline holds
    const std::size_t index = result - WAIT_OBJECT_0;
    const std::size_t first = m_wake ? 1 : 0;
    if (index >= first)
        m_watched[index - first].second();
    // Those after it may be signalled too; a wait of 0 finds them on the next pass.
    return true;
}

void ConsoleEventPump::processPendingEvents()
{
    // Bounded: an event that keeps coming must not hold the cycle's poll for ever.
    for (std::size_t pass = 0; pass <= m_watched.size() + 1 && waitOnce(0); ++pass) {
    }
}

void ConsoleEventPump::waitForEvents(std::chrono::milliseconds limit)
{
    const auto ms = std::clamp<long long>(limit.count(), 0, 0x7fffffff);
    if (waitOnce(static_cast<unsigned long>(ms)))
        processPendingEvents();
}

void ConsoleEventPump::wakeUp()
{
    if (m_wake)
        SetEvent(m_wake);
}

#pragma once

#include "EventPump.h"

#include <functional>
#include <vector>

// The command line's event loop on Windows: a wait on its own wake-up event and on the
// event objects it is given to watch (the console's control events). Windows only.
class ConsoleEventPump : public EventPump
{
public:
    ConsoleEventPump();
    ~ConsoleEventPump() override;
    ConsoleEventPump(const ConsoleEventPump&) = delete;
    ConsoleEventPump& operator=(const ConsoleEventPump&) = delete;

    // onSignalled runs on the pump's thread, from processPendingEvents() or waitForEvents(),
    // whenever the auto-reset event object is signalled. A null handle is ignored.
    void watch(void* event, std::function<void()> onSignalled);

    void processPendingEvents() override;
    void waitForEvents(std::chrono::milliseconds limit) override;
    void wakeUp() override;

private:
    // Returns whether anything was signalled.
    bool waitOnce(unsigned long timeoutMs);

    void* m_wake = nullptr;
    std::vector<std::pair<void*, std::function<void()>>> m_watched;
};

#pragma once

#include <chrono>

// The window thread's event queue, as seen from a handler that must wait without
// blocking the window.
class EventPump
{
public:
    virtual ~EventPump() = default;

    // Dispatches every pending event to its handler, then returns without waiting.
    virtual void processPendingEvents() = 0;
    // Sleeps until an event arrives, wakeUp() is called or the limit has passed, and
    // dispatches what arrived. Never spins.
    virtual void waitForEvents(std::chrono::milliseconds limit) = 0;
    // Ends a waitForEvents early. May be called from any thread.
    virtual void wakeUp() = 0;
};

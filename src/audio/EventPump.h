#pragma once

#include <chrono>
#include <functional>

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

    // Runs onReadable, on this thread and from the two calls above, whenever fd is readable
    // or hung up, until unwatch(fd); it must read what is there, or unwatch. False when this
    // pump cannot watch descriptors: whoever needs it must not go on without.
    virtual bool watch(int /*fd*/, std::function<void()> /*onReadable*/) { return false; }
    // May be called from onReadable itself.
    virtual void unwatch(int /*fd*/) {}
};

#pragma once

#include <chrono>
#include <functional>

// How a line, or its watchdog, waits for something outside the calling thread: hamlib's
// thread, the watchdog process. The window's thread and the command line wait in their event
// loop (KeyedCall's EventLineWait), so that Escape and the signals act during the wait; a
// plain block is the default (BlockingLineWait).
class LineWait
{
public:
    virtual ~LineWait() = default;

    // Waits until ready() says so, the limit passes or the wait is stopped. ready() is asked at
    // the start, when fd (unless -1) turns readable or hangs up, after wakeUp(), and at least
    // every 50 ms. True when ready() ended the wait.
    virtual bool waitFor(std::chrono::milliseconds limit, int fd,
                         const std::function<bool()>& ready) = 0;
    // Has ready() asked again at once; from any thread, during a wait.
    virtual void wakeUp() = 0;
    // A user's stop of what comes before the key: the waits for the line's connection and the
    // watchdog's start end, and so does the wait for a watchdog's own release, which then goes
    // on by itself. A release of ours is never cut short.
    virtual bool stopped() const = 0;
};

#pragma once

#include <functional>

// The signals that would end or suspend the process, during a play, delivered on the waiting
// thread by the event loop that the wait runs, never from inside a signal handler.
class SignalWatch
{
public:
    virtual ~SignalWatch() = default;
    // From now until unwatch(), each signal calls onSignal with its number instead of ending
    // the process.
    virtual void watch(std::function<void(int)> onSignal) = 0;
    virtual void unwatch() = 0;
    // Suspends the process as a terminal's stop signal would have, once the line is released.
    virtual void suspend(int signal) = 0;
};

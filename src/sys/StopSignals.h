#pragma once

#include <functional>

// The signals that would end or suspend the process, as a play sees them: while delivered,
// each comes to the play's thread through the event loop, never from inside a handler, so
// that the play can stop and release its line first.
class StopSignals
{
public:
    virtual ~StopSignals() = default;
    // From now until stopDelivering(), each signal calls onSignal with its number instead of
    // ending or suspending the process.
    virtual void deliverTo(std::function<void(int)> onSignal) = 0;
    virtual void stopDelivering() = 0;
    // Once the line is released: ends the process by the signal, or suspends it and returns
    // when it is continued.
    virtual void takeUsualCourse(int signal) = 0;
};

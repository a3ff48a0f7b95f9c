#pragma once

#include "EventPump.h"

#include <functional>
#include <stdexcept>

// An event pump with no events of its own: a test runs its code on each pass instead
// (a re-entrant Send, the end of the play...). A wait moves on at once; onWait lets the
// test make time pass. A runaway loop fails the test instead of hanging it.
class FakeEventPump : public EventPump
{
public:
    std::function<void(int pass)> onPass;
    std::function<void(std::chrono::milliseconds limit)> onWait;
    int maxPasses = 100000;

    void processPendingEvents() override
    {
        if (++m_passes > maxPasses)
            throw std::runtime_error("the wait never ended");
        if (onPass)
            onPass(m_passes);
    }
    void waitForEvents(std::chrono::milliseconds limit) override
    {
        ++m_waits;
        m_lastLimit = limit;
        if (onWait)
            onWait(limit);
    }
    void wakeUp() override { ++m_wakeUps; }

    int passes() const { return m_passes; }
    int waits() const { return m_waits; }
    int wakeUps() const { return m_wakeUps; }
    std::chrono::milliseconds lastLimit() const { return m_lastLimit; }

private:
    int m_passes = 0;
    int m_waits = 0;
    int m_wakeUps = 0;
    std::chrono::milliseconds m_lastLimit{0};
};

#pragma once

#include "StopSignals.h"

// Signals that the test raises itself, e.g. from a pass of the event pump, as the event loop
// would deliver them.
class FakeStopSignals : public StopSignals
{
public:
    void deliverTo(std::function<void(int)> onSignal) override { m_onSignal = std::move(onSignal); }
    void stopDelivering() override { m_onSignal = nullptr; }
    void takeUsualCourse(int signal) override { taken = signal; }
    bool delivering() const { return static_cast<bool>(m_onSignal); }
    int taken = 0; // the signal whose usual course would have followed
    // Delivered only while delivering; otherwise the process would have ended.
    void raise(int signal)
    {
        if (m_onSignal)
            m_onSignal(signal);
    }

private:
    std::function<void(int)> m_onSignal;
};

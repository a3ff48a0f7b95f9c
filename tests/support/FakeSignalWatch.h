#pragma once

#include "SignalWatch.h"

// Signals that the test raises itself, e.g. from a pass of the event pump, as the event loop
// would deliver them.
class FakeSignalWatch : public SignalWatch
{
public:
    void watch(std::function<void(int)> onSignal) override { m_onSignal = std::move(onSignal); }
    void unwatch() override { m_onSignal = nullptr; }
    void suspend(int signal) override { suspended = signal; }
    bool watching() const { return static_cast<bool>(m_onSignal); }
    int suspended = 0;
    // Delivered only while watched; otherwise the process would have ended.
    void raise(int signal)
    {
        if (m_onSignal)
            m_onSignal(signal);
    }

private:
    std::function<void(int)> m_onSignal;
};

#pragma once

#include "SignalWatch.h"

#include <memory>

class TerminationSignals;

// SignalWatch on the process's signals, brought into the Qt event loop. Outside a play the
// signals keep their default action, so that a long render or write can still be interrupted.
class PosixSignalWatch : public SignalWatch
{
public:
    PosixSignalWatch();
    ~PosixSignalWatch() override;

    void watch(std::function<void(int)> onSignal) override;
    void unwatch() override;

private:
    std::unique_ptr<TerminationSignals> m_signals;
};

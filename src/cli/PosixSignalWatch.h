#pragma once

#include "SignalWatch.h"

#include <memory>

class CaughtSignals;

// SignalWatch on the process's signals, brought into the Qt event loop. Outside a keyed play
// the signals keep their action, so that a long render or write can still be interrupted.
class PosixSignalWatch : public SignalWatch
{
public:
    PosixSignalWatch();
    ~PosixSignalWatch() override;

    void watch(std::function<void(int)> onSignal) override;
    void unwatch() override;
    void suspend(int signal) override;

private:
    std::unique_ptr<CaughtSignals> m_signals;
};

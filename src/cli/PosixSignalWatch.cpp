#include "PosixSignalWatch.h"

#include "TerminationSignals.h"

#include <csignal>

PosixSignalWatch::PosixSignalWatch() = default;
PosixSignalWatch::~PosixSignalWatch() = default;

void PosixSignalWatch::watch(std::function<void(int)> onSignal)
{
    m_signals.reset(); // one instance per process
    // SIGHUP too: a lost terminal must not leave a transmitter keyed.
    m_signals = std::make_unique<TerminationSignals>(
        std::initializer_list<int>{SIGINT, SIGTERM, SIGHUP}, std::move(onSignal));
}

void PosixSignalWatch::unwatch()
{
    m_signals.reset();
}

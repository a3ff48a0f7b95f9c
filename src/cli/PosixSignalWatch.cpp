#include "PosixSignalWatch.h"

#include "CaughtSignals.h"

#include <csignal>

PosixSignalWatch::PosixSignalWatch() = default;
PosixSignalWatch::~PosixSignalWatch() = default;

void PosixSignalWatch::watch(std::function<void(int)> onSignal)
{
    m_signals.reset();
    // Every signal that would end the process or suspend it from the terminal: a transmitter
    // must be released before either happens.
    std::vector<int> signalNumbers = SignalActions::ending();
    signalNumbers.insert(signalNumbers.end(), SignalActions::suspending().begin(),
                         SignalActions::suspending().end());
    m_signals = std::make_unique<CaughtSignals>(signalNumbers, std::move(onSignal));
}

void PosixSignalWatch::unwatch()
{
    m_signals.reset();
}

void PosixSignalWatch::suspend(int signal)
{
    ::raise(signal); // its action is back: the default one, or the caller's
}

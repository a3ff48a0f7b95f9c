#pragma once

#include "SignalActions.h"

#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

// Brings signals into the event loop of the thread that creates it: the handler only writes
// the signal's number to a pipe, and the callback runs later on this thread, where it may
// touch anything. Instances nest: a newer one takes the signals it names until it ends, and
// the older one has them again after that.
class CaughtSignals
{
public:
    CaughtSignals(const std::vector<int>& signalNumbers, std::function<void(int)> onSignal);
    ~CaughtSignals();
    CaughtSignals(const CaughtSignals&) = delete;
    CaughtSignals& operator=(const CaughtSignals&) = delete;

private:
    void drain();

    std::function<void(int)> m_onSignal;
    int m_pipe[2] = {-1, -1};
    std::vector<int> m_signals;
    std::vector<int> m_olderPipes; // the write ends that m_signals had before
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<SignalActions> m_actions;
};

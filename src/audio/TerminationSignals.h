#pragma once

#include <QObject>
#include <functional>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

// Brings POSIX signals (SIGINT, SIGTERM, SIGHUP…) into the event loop of the thread that
// creates it: the handler only writes the signal number to a pipe, and the callback runs
// later on this thread, where it may touch anything. One instance per process.
class TerminationSignals : public QObject
{
public:
    TerminationSignals(std::initializer_list<int> signalNumbers, std::function<void(int)> onSignal);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The first signal that arrived, 0 while none has.
    int received() const { return m_received; }

private:
    void drain();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
    int m_received = 0;
    std::vector<int> m_signals;
};

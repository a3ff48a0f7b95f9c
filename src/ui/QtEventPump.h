#pragma once

#include "EventPump.h"

#include <QTimer>
#include <map>

class QSocketNotifier;

// The event pump of the thread that runs QCoreApplication (or QApplication).
class QtEventPump : public EventPump
{
public:
    QtEventPump();
    ~QtEventPump() override;
    QtEventPump(const QtEventPump&) = delete;
    QtEventPump& operator=(const QtEventPump&) = delete;

    void processPendingEvents() override;
    void waitForEvents(std::chrono::milliseconds limit) override;
    void wakeUp() override;
    bool watch(int fd, std::function<void()> onReadable) override;
    void unwatch(int fd) override;

private:
    // A timer event is what ends a wait that nothing else ends.
    QTimer m_limit;
    std::map<int, QSocketNotifier*> m_watched;
};

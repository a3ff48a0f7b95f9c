#pragma once

#include "EventPump.h"

#include <QTimer>

// The event pump of the thread that runs QCoreApplication (or QApplication).
class QtEventPump : public EventPump
{
public:
    QtEventPump();

    void processPendingEvents() override;
    void waitForEvents(std::chrono::milliseconds limit) override;
    void wakeUp() override;

private:
    // A timer event is what ends a wait that nothing else ends.
    QTimer m_limit;
};

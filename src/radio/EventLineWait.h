#pragma once

#include "LineWait.h"

class EventPump;
class TickCounter;

// A line's waits run in the caller's event loop (the window's, or the command line's), through
// the one deadline wait, so that the window's thread never blocks on hamlib or on the
// watchdog, and a stop ends what may be ended.
class EventLineWait : public LineWait
{
public:
    EventLineWait(EventPump& events, TickCounter& ticks, std::function<bool()> stopped);

    bool waitFor(std::chrono::milliseconds limit, int fd,
                 const std::function<bool()>& ready) override;
    void wakeUp() override;
    bool stopped() const override;

private:
    EventPump& m_events;
    TickCounter& m_ticks;
    std::function<bool()> m_stopped;
};

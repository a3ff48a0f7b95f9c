#include "EventLineWait.h"

#include "EventPump.h"
#include "WaitUntil.h"

#include <algorithm>

EventLineWait::EventLineWait(EventPump& events, TickCounter& ticks, std::function<bool()> stopped)
    : m_events(events), m_ticks(ticks), m_stopped(std::move(stopped))
{
}

bool EventLineWait::waitFor(std::chrono::milliseconds limit, int fd,
                            const std::function<bool()>& ready)
{
    // A descriptor wakes the wait once; one that stays readable (a socket at its end, before
    // its process has been reaped) is then asked about every few ms, not spun on.
    bool fired = false;
    const bool watched = fd >= 0 && m_events.watch(fd, [this, fd, &fired] {
        fired = true;
        m_events.unwatch(fd);
    });
    Deadline deadline(m_ticks,
                      static_cast<std::uint64_t>(std::max<std::int64_t>(limit.count(), 0)));
    bool isReady = false;
    waitUntil(m_events, deadline, [&](std::uint64_t& nextPassMs) {
        isReady = ready();
        if (isReady || stopped())
            return true;
        nextPassMs = fired || (fd >= 0 && !watched) ? 2 : 50;
        return false;
    });
    if (watched && !fired)
        m_events.unwatch(fd);
    return isReady;
}

void EventLineWait::wakeUp()
{
    m_events.wakeUp();
}

bool EventLineWait::stopped() const
{
    return m_stopped && m_stopped();
}

#include "WaitUntil.h"

#include "EventPump.h"
#include "TickCounter.h"

#include <algorithm>
#include <chrono>

Deadline::Deadline(TickCounter& ticks, std::uint64_t limitMs)
    : m_ticks(ticks), m_limitMs(limitMs), m_lastTick(ticks.GetTickCount())
{
}

std::uint64_t Deadline::elapsedMs()
{
    const std::uint32_t now = m_ticks.GetTickCount();
    m_elapsedMs += static_cast<std::uint32_t>(now - m_lastTick);
    m_lastTick = now;
    return m_elapsedMs;
}

std::uint64_t Deadline::remainingMs()
{
    if (m_limitMs == kNever)
        return kNever;
    const std::uint64_t elapsed = elapsedMs();
    return elapsed >= m_limitMs ? 0 : m_limitMs - elapsed;
}

bool waitUntil(EventPump& events, Deadline& deadline,
               const std::function<bool(std::uint64_t& nextPassMs)>& done)
{
    // A sleep is bounded even without a deadline, so that a lost wake-up costs a pass, not
    // the wait.
    constexpr std::uint64_t kLongestSleepMs = 24 * 3600 * 1000;
    for (;;) {
        events.processPendingEvents();
        std::uint64_t nextPassMs = kLongestSleepMs;
        if (done(nextPassMs))
            return true;
        const std::uint64_t remaining = deadline.remainingMs();
        if (remaining == 0)
            return false;
        const std::uint64_t sleepMs = std::min({nextPassMs, remaining, kLongestSleepMs});
        events.waitForEvents(std::chrono::milliseconds(static_cast<std::int64_t>(sleepMs)));
    }
}

#pragma once

#include <cstdint>
#include <functional>
#include <limits>

class EventPump;
class TickCounter;

// A limit on the monotonic tick counter, counted in 64 bits from the moment it is made: the
// counter itself wraps after 49.7 days, so the time passed is summed from the differences
// between successive reads, each taken modulo 2^32.
class Deadline
{
public:
    static constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

    Deadline(TickCounter& ticks, std::uint64_t limitMs);

    std::uint64_t elapsedMs();
    // 0 once the deadline has passed; kNever stays kNever.
    std::uint64_t remainingMs();

private:
    TickCounter& m_ticks;
    std::uint64_t m_limitMs;
    std::uint64_t m_elapsedMs = 0;
    std::uint32_t m_lastTick;
};

// The one wait of the window's thread (and the command line's) for something outside it: a
// play's end, a line's lock, a lead or a tail. Each pass dispatches the pending events, then
// asks done() whether the wait is over; done() may shorten the sleep before the next pass
// through its argument. Between passes the thread sleeps until an event, a wake-up, the next
// pass or the deadline, never spinning. Returns true when done() ended the wait, false when
// the deadline passed first; a deadline that has already passed still gets one pass.
bool waitUntil(EventPump& events, Deadline& deadline,
               const std::function<bool(std::uint64_t& nextPassMs)>& done);

#include "KeyedCall.h"

#include "Cm108Finder.h"
#include "EventPump.h"
#include "PlaybackCycle.h"
#include "ProcessWatchdog.h"
#include "RadioOptions.h"
#include "TickCounter.h"
#include "WaitUntil.h"
#include "WaveOut.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace
{

// How often a run that waits for another sender's line tries the lock again.
constexpr std::uint32_t kLockRetryMs = 50;
constexpr std::uint32_t kNoLimit = 0xFFFFFFFF;

// "1.5 s", "180 s", "0.87 s": seconds to the millisecond, and a time below one as it was
// given ("0.0001 s"), never as none at all.
std::string seconds(double ms)
{
    char text[64];
    if (ms > 0 && ms < 0.5) {
        std::snprintf(text, sizeof text, "%.3g s", ms / 1000);
        return text;
    }
    std::snprintf(text, sizeof text, "%.3f", std::round(ms) / 1000);
    std::string shown = text;
    shown.erase(shown.find_last_not_of('0') + 1);
    if (shown.back() == '.')
        shown.pop_back();
    return shown + " s";
}

} // namespace

LineServices processLineServices()
{
    LineServices services;
    services.watchdogs = [] { return std::make_unique<ProcessWatchdog>(); };
    return services;
}

KeyedCall::KeyedCall(PlaybackCycle& cycle, EventPump& events, TickCounter& ticks,
                     const RadioOptions& radio, LineServices services,
                     std::function<void(const std::string&)> report)
    : m_cycle(cycle), m_events(events), m_ticks(ticks), m_radio(radio),
      m_services(std::move(services)), m_report(std::move(report)),
      m_wait(events, ticks, [this] { return m_stopped && !m_onAir; })
{
}

KeyedCall::~KeyedCall()
{
    m_cycle.setBeforeWrite({});
    m_cycle.setDuringWait({});
    release();
}

bool KeyedCall::prepare(double soundMs)
{
    m_address = *m_radio.ptt;
    const double timeoutMs = m_radio.pttTimeoutS * 1000;
    const double keyedMs = m_radio.pttLeadMs + soundMs + m_radio.pttTailMs;
    if (timeoutMs > 0 && keyedMs > timeoutMs) {
        fail("the call would keep the transmitter keyed for " + seconds(keyedMs) + " (the lead, " +
             seconds(soundMs) + " of sound and the tail), longer than the " + "time-out of " +
             seconds(timeoutMs) + " (--ptt-timeout); nothing was sent");
        return false;
    }
    if (const std::string why = Cm108Finder(m_services.sysfsRoot).resolve(m_address);
        !why.empty()) {
        fail(why);
        return false;
    }
    m_line = m_services.lines(m_address);
    m_line->waitThrough(&m_wait);
    m_lock = LineLock::forLine(*m_line);
    if (!waitForLock(*m_lock))
        return false;
    const std::string why = m_line->open();
    if (m_stopped) // a stop ended the connection's wait: nothing to say
        return false;
    if (!why.empty()) {
        fail(why);
        return false;
    }
    return startWatchdog();
}

bool KeyedCall::startWatchdog()
{
    if (!m_services.watchdogs)
        return true;
    m_watchdog = m_services.watchdogs();
    m_watchdog->waitThrough(&m_wait);
    std::string why = m_watchdog->start(m_address.text, m_lock->descriptor());
    if (why.empty() && m_watchdog->descriptor() >= 0 &&
        !m_events.watch(m_watchdog->descriptor(), [this] { watchdogEnded(); }))
        why = "the PTT watchdog cannot be watched here";
    if (!why.empty()) {
        m_watchdog.reset();
        if (!m_stopped)
            fail(why);
        return false;
    }
    return !m_stopped;
}

bool KeyedCall::waitForLock(LineLock& lock)
{
    const auto limitMs = static_cast<std::uint64_t>(std::llround(m_radio.pttWaitS * 1000));
    Deadline deadline(m_ticks, limitMs);
    LineLock::Attempt attempt = LineLock::Attempt::Busy;
    std::string why;
    const bool ended = waitUntil(m_events, deadline, [&](std::uint64_t& nextPassMs) {
        if (m_stopped)
            return true;
        attempt = lock.tryLock(why);
        nextPassMs = kLockRetryMs;
        return attempt != LineLock::Attempt::Busy;
    });
    if (attempt == LineLock::Attempt::Taken)
        return true;
    if (attempt == LineLock::Attempt::Failed)
        fail(why);
    if (!ended) {
        const std::string holder = lock.holder();
        fail(m_line->name() + " is in use by " + (holder.empty() ? "another program" : holder) +
             "; waited " + seconds(static_cast<double>(limitMs)) + " for it (--ptt-wait)");
    }
    return false;
}

void KeyedCall::send(const std::string& sequence, const std::function<void()>& onKeying)
{
    m_onKeying = onKeying;
    m_cycle.setBeforeWrite([this] { return keyAndLead(); });
    m_cycle.setDuringWait([this] { return duringWait(); });
    try {
        m_cycle.SuonaSequenza(sequence);
    } catch (...) {
        m_cycle.setBeforeWrite({});
        m_cycle.setDuringWait({});
        release();
        throw;
    }
    m_cycle.setBeforeWrite({});
    m_cycle.setDuringWait({});
    if (m_cycle.lastResult() == PlaybackCycle::Result::Played && !m_stopped && !m_failed) {
        m_phase = Phase::Tail;
        pause(m_radio.pttTailMs);
    }
    release();
}

void KeyedCall::stop()
{
    m_stopped = true;
    m_cycle.requestStop();
    m_events.wakeUp();
}

bool KeyedCall::keyAndLead()
{
    if (m_stopped || !m_line || m_failed)
        return false;
    if (m_watchdog && m_watchdog->ended()) {
        watchdogEnded();
        return false;
    }
    if (m_onKeying)
        m_onKeying();
    // The watchdog hears the time-out before anything is keyed, counted from here, as ours.
    m_keyedAt = m_ticks.GetTickCount();
    if (m_watchdog && m_radio.pttTimeoutS > 0)
        m_watchdog->releaseWithin(
            std::chrono::milliseconds(std::llround(std::min(m_radio.pttTimeoutS * 1000, 1e15))));
    m_onAir = true;
    m_phase = Phase::Lead;
    m_transmitter.emplace(*m_line, [this](const std::string& why) { fail(why); });
    if (const std::string why = m_transmitter->key(); !why.empty()) {
        fail(why);
        return false;
    }
    if (!pause(m_radio.pttLeadMs))
        return false;
    m_phase = Phase::Sound;
    return true;
}

std::uint32_t KeyedCall::keyedMs() const
{
    return m_ticks.GetTickCount() - m_keyedAt;
}

// Waits on the event loop, so that a stop ends the wait, and never past the time-out.
bool KeyedCall::pause(double ms)
{
    Deadline deadline(m_ticks, static_cast<std::uint64_t>(std::llround(std::max(ms, 0.0))));
    bool interrupted = false;
    waitUntil(m_events, deadline, [&](std::uint64_t& nextPassMs) {
        interrupted = m_stopped || m_cycle.stopRequested();
        if (interrupted)
            return true;
        nextPassMs = duringWait();
        interrupted = m_failed;
        return interrupted;
    });
    return !interrupted;
}

std::uint32_t KeyedCall::duringWait()
{
    std::uint32_t rest = kNoLimit;
    const double timeoutMs = m_radio.pttTimeoutS * 1000;
    if (m_transmitter && timeoutMs > 0) {
        const auto limit = static_cast<std::uint32_t>(std::min(timeoutMs, 4e9));
        const std::uint32_t keyed = keyedMs();
        if (keyed >= limit) {
            fail("the transmitter time-out of " + seconds(timeoutMs) + " ran out " + timeoutCut() +
                 " and " + m_line->name() + " released");
            if (!soundEnded())
                m_cycle.requestStop();
            return 0;
        }
        rest = limit - keyed;
    }
    if (m_line) {
        if (const std::string why = m_line->check(); !why.empty()) {
            fail(why);
            m_cycle.requestStop();
            return 0;
        }
    }
    return rest;
}

// A sound that the device has played to its end is not stopped by the time-out, however late
// the wait sees it: only the tail was cut then.
bool KeyedCall::soundEnded() const
{
    return m_phase == Phase::Tail ||
           (m_phase == Phase::Sound && (m_cycle.waveHeader().dwFlags.load() & WHDR_DONE) != 0);
}

std::string KeyedCall::timeoutCut() const
{
    if (soundEnded())
        return "after the whole sound, in the tail; only the tail was cut";
    if (m_phase == Phase::Lead)
        return "before the sound started; nothing was sent";
    return "before the sound ended; the sound was stopped";
}

void KeyedCall::watchdogEnded()
{
    if (m_watchdog)
        m_events.unwatch(m_watchdog->descriptor());
    if (m_watchdogLost)
        return;
    m_watchdogLost = true;
    if (m_onAir)
        fail("the PTT watchdog ended during the call; the call was stopped and " + m_line->name() +
             " released");
    else
        fail("the PTT watchdog ended before the call; nothing was sent");
    m_cycle.requestStop();
    m_events.wakeUp();
}

void KeyedCall::fail(const std::string& why)
{
    m_failed = true;
    if (m_report)
        m_report(why);
}

void KeyedCall::release()
{
    if (m_watchdog && m_watchdog->descriptor() >= 0)
        m_events.unwatch(m_watchdog->descriptor());
    const bool failedBefore = m_failed;
    m_failed = false;
    m_transmitter.reset(); // the one unkey; a failure comes back through fail()
    const bool released = !m_failed;
    m_failed = m_failed || failedBefore;
    m_onAir = false;
    m_phase = Phase::Released;
    if (m_watchdog && released)
        m_watchdog->released();
    else if (m_watchdog && !m_watchdogLost)
        m_watchdog->takeOver(); // after a failed release, the watchdog tries once more
    m_watchdog.reset();
    m_line.reset();
    m_lock.reset();
}

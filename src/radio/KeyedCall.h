#pragma once

#include "EventLineWait.h"
#include "LineLock.h"
#include "LineWatchdog.h"
#include "PttAddress.h"
#include "PttLine.h"
#include "Transmitter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class EventPump;
class PlaybackCycle;
class TickCounter;
struct RadioOptions;

// Where a keyed call gets its line, its watchdog and the tree that cm108:auto searches.
struct LineServices {
    std::function<std::unique_ptr<PttLine>(const PttAddress&)> lines = makePttLine;
    std::function<std::unique_ptr<LineWatchdog>()> watchdogs;
    std::string sysfsRoot = "/sys";
};

// The watchdog process by default.
LineServices processLineServices();

// One send keyed on a push-to-talk line around a playback cycle, in the order that never puts
// a dead carrier on the air: the line is locked, opened released and watched before the cycle
// opens the device and renders; it is keyed only between the render and the write; the lead,
// the sound and the tail run under the time-out timer; then the line is released. Every way
// out (a failed step, stop(), the time-out, a lost line, an exception) releases the line.
// The watchdog holds the time-out as well, and the call ends when the watchdog does: no keyed
// call goes on without one.
class KeyedCall
{
public:
    // report hears each problem, in words for people that name the line.
    KeyedCall(PlaybackCycle& cycle, EventPump& events, TickCounter& ticks,
              const RadioOptions& radio, LineServices services,
              std::function<void(const std::string&)> report);
    ~KeyedCall();
    KeyedCall(const KeyedCall&) = delete;
    KeyedCall& operator=(const KeyedCall&) = delete;

    // Everything before the cycle: the time-out's check of the call's length, cm108:auto,
    // the wait for the line's lock, the line's open and the watchdog. False, with the problem
    // reported, when the call cannot be sent; nothing has been keyed then.
    bool prepare(double soundMs);
    // Runs the cycle's send with the line keyed around its sound, then the tail, then the
    // release. onKeying runs just before the line is keyed.
    void send(const std::string& sequence, const std::function<void()>& onKeying = {});
    // Ends the wait for the lock, the lead, the sound or the tail; the line is released.
    void stop();

    bool stopped() const { return m_stopped; }
    // A key, a release or the line itself failed, or the time-out ran out.
    bool failed() const { return m_failed; }

private:
    // Where the call is, for what the time-out says it cut.
    enum class Phase { Preparing, Lead, Sound, Tail, Released };

    bool pause(double ms);
    bool waitForLock(LineLock& lock);
    bool startWatchdog();
    bool keyAndLead();
    std::uint32_t duringWait();
    bool soundEnded() const;
    std::string timeoutCut() const;
    std::uint32_t keyedMs() const;
    void watchdogEnded();
    void fail(const std::string& why);
    void release();

    PlaybackCycle& m_cycle;
    EventPump& m_events;
    TickCounter& m_ticks;
    const RadioOptions& m_radio;
    LineServices m_services;
    std::function<void(const std::string&)> m_report;
    std::function<void()> m_onKeying;

    // Before the line and the watchdog, which wait through it until they are gone. A stop
    // ends its waits only until the key: a release is never cut short.
    EventLineWait m_wait;
    PttAddress m_address;
    std::unique_ptr<PttLine> m_line;
    std::unique_ptr<LineLock> m_lock;
    std::unique_ptr<LineWatchdog> m_watchdog;
    std::optional<Transmitter> m_transmitter;
    std::uint32_t m_keyedAt = 0;
    Phase m_phase = Phase::Preparing;
    bool m_onAir = false; // from just before the key to the end of the release
    bool m_stopped = false;
    bool m_failed = false;
    bool m_watchdogLost = false;
};

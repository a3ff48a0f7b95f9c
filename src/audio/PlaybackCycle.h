#pragma once

#include "WaveOut.h"

#include <cstdint>
#include <functional>
#include <string>

struct modTone;
class TickCounter;
class Messages;
class EventPump;

// The sound module's device side: the start-up check and the playback cycle of one
// send, with the device state that outlives a cycle (handle and header).
class PlaybackCycle
{
public:
    // How the last cycle that passed the entry guard ended.
    enum class Result { None, Played, Failed, Stopped };

    PlaybackCycle(modTone& module, WaveOut& device, TickCounter& ticks, Messages& messages,
                  EventPump& events);
    ~PlaybackCycle();
    PlaybackCycle(const PlaybackCycle&) = delete;
    PlaybackCycle& operator=(const PlaybackCycle&) = delete;

    // Where the cycle reads the selector's current tone-set index when it renders.
    void setToneSetIndexSource(std::function<int()> source);

    // True when the machine has at least one input or output device; otherwise shows the
    // start-up message and returns false.
    bool CheckSoundCard();
    // Renders and plays one sequence and waits for its end while events are processed.
    // ComputeTimings must have run just before.
    void SuonaSequenza(std::string sequence);
    // Ends a cycle after a failure: resets and closes the device, clears Playing.
    void StopSound();
    // A step between the render and the write, e.g. keying a transmitter and waiting its
    // lead: everything that can fail before a sound is out of the way by then. It returns
    // false, or requestStop() is called while it runs, to end the cycle with nothing played:
    // the device is released, no report is shown, and the result is Stopped.
    void setBeforeWrite(std::function<bool()> step);
    // Runs on each pass of the wait for the end, after the events; it may call requestStop()
    // (a time-out, a lost line). Returns the longest the wait may sleep before the next pass.
    void setDuringWait(std::function<std::uint32_t()> pass);
    // Asks the play in progress to stop, as a user's Escape or a termination signal does:
    // the wait ends, ElapsedMs becomes the time from the write to the stop, StopSound
    // releases the device and no report is shown. Call it on the cycle's own thread, from a
    // handler that the wait runs. Does nothing when no play is in the step before the write
    // or waiting for its end.
    void requestStop();
    bool waiting() const { return m_waiting; }
    bool stopRequested() const { return m_stopRequested; }

    WaveHandle waveHandle() const { return m_WaveHandle; }
    const WaveHeader& waveHeader() const { return m_WaveHeader; }
    Result lastResult() const { return m_lastResult; }

private:
    bool openAndPrepare(std::int32_t n);
    bool readyToWrite();
    bool writeAndWait();
    void finish();
    void releaseBuffer();
    void report(int step, const std::string& literal, std::int32_t code);
    void renderFailed(const std::string& text, bool deviceOpened);

    modTone& m_module;
    WaveOut& m_device;
    TickCounter& m_ticks;
    Messages& m_messages;
    EventPump& m_events;
    std::function<int()> m_toneSetIndex;
    std::function<bool()> m_beforeWrite;
    std::function<std::uint32_t()> m_duringWait;

    WaveHandle m_WaveHandle = 0;
    WaveHeader m_WaveHeader;
    WaveFormat m_format; // the cycle's own copy; the device copies what it needs at open
    Result m_lastResult = Result::None;
    bool m_waiting = false; // between the write and the end of the wait
    bool m_beforeWriteRuns = false;
    bool m_stopRequested = false; // by requestStop() during this step or wait
};

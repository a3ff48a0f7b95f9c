#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class PulseConnection;
struct WaveFormat;
struct WaveHeader;
struct pa_stream;
struct pa_operation;
struct pa_time_event;
struct pa_mainloop_api;
struct timeval;

// One playback stream on the connection's context, with a lifetime we own. It feeds the
// server from the caller's buffer, in chunks, as the server asks for data, and sets WHDR_DONE
// in the header when the drain after the last byte completes. While a buffer plays, a timer
// on the loop asks the server for a sign of life now and then: a frozen server neither calls
// back nor drops the connection, and only an unanswered request shows it.
//
// Every member, the destructor included, must be called with the loop's lock held.
//
// No callback can run on freed memory: libpulse runs callbacks on the loop's thread with the
// same lock held, and the destructor (like stop()) first cancels the pending requests (a
// cancelled request never calls back), then clears the stream's callbacks, then disconnects
// and unreferences the stream. After that no path leads from libpulse to this object.
class PulseStream
{
public:
    // wakeUp is called, on any thread, when the play ends or fails.
    PulseStream(PulseConnection& connection, std::function<void()> wakeUp);
    ~PulseStream();
    PulseStream(const PulseStream&) = delete;
    PulseStream& operator=(const PulseStream&) = delete;

    // Makes the stream on sink (the default sink when empty) and waits until it is ready;
    // returns 0 or a WaveResult code (see PulseWaveOut.h). A held stream stays on its sink:
    // when that goes away the play fails, rather than going on through other speakers.
    std::int32_t connect(const WaveFormat& format, const std::string& sink,
                         const std::string& mediaName, bool held = false);
    // Starts playing the header's buffer, which must stay put until the play has ended.
    // StillPlaying while an earlier buffer is still fed or drained.
    std::int32_t play(WaveHeader& header);
    // Drops what the server still holds, without a drain, and releases the stream.
    void stop();
    // 0 while the play goes on or has ended well; otherwise why it failed.
    std::int32_t error() const { return m_error; }

private:
    // Idle -> Feeding (play) -> Draining (last byte written) -> Drained (the drain's
    // answer) -> Feeding (the next play); any -> Failed, which stays.
    enum class State { Idle, Feeding, Draining, Drained, Failed };

    void release();
    void feed(std::size_t bytes);
    void fail(std::int32_t code);
    void checkLiveness();

    static void onState(pa_stream* s, void* self);
    static void onWrite(pa_stream* s, std::size_t bytes, void* self);
    static void onDrained(pa_stream* s, int success, void* self);
    static void onTimingInfo(pa_stream* s, int success, void* self);
    static void onLivenessTimer(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);

    using Clock = std::chrono::steady_clock;

    PulseConnection& m_connection;
    std::function<void()> m_wakeUp;
    pa_stream* m_stream = nullptr;
    State m_state = State::Idle;
    WaveHeader* m_header = nullptr; // the buffer in play, until stop()
    std::size_t m_offset = 0;       // bytes of it handed to the server so far
    std::int32_t m_error = 0;       // set with Failed
    pa_operation* m_drain = nullptr;
    pa_operation* m_timing = nullptr;
    pa_time_event* m_livenessTimer = nullptr; // armed while Feeding or Draining
    Clock::time_point m_drainStarted, m_timingAsked, m_lastAnswer;
};

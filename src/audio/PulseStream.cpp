#include "PulseStream.h"

#include "PulseConnection.h"
#include "WaveOut.h"

#include <algorithm>
#include <pulse/pulseaudio.h>

namespace
{

constexpr auto kServerAnswer = PulseConnection::kServerAnswer;
// The sound PulseAudio holds ahead of the speaker: short, so that a stop is heard at once;
// long enough for a busy machine.
constexpr pa_usec_t kTargetLatencyUs = 250000;
// PipeWire, with that latency, kept 145 ms queued and played 85 ms of it in each cycle of
// its graph: a write request answered some 60 ms late, by a client thread that a busy
// machine left unscheduled, put silence inside a tone. The whole call is in memory before
// the first sample, so PipeWire is given as much of it as it will queue, kQueueUs, and asks
// for more each time it has played kRequestUs (early requests), which is also the length of
// its cycle, as long as before: the first sample comes as soon as before, a stop, which
// drops the queue, is heard at once, and a cycle no shorter is no harder to keep under load.
// PulseAudio keeps the adjusted latency: given much more than a request at a stream's start
// it rewinds its sink, and the sink's monitor misses some 15 ms of the first tone.
constexpr pa_usec_t kQueueUs = 2000000;
constexpr pa_usec_t kRequestUs = 100000;
// While the buffer plays, the server is asked for the stream's timing this often; a request
// unanswered for kServerAnswer means a frozen server.
constexpr std::chrono::milliseconds kLivenessInterval{1000};
// The drain may take this long after the last byte: what the server holds, played slowly,
// and an answer.
constexpr auto kDrainLimit = std::chrono::microseconds(3 * kQueueUs / 2) + kServerAnswer;

void cancel(pa_operation*& operation)
{
    if (operation) {
        pa_operation_cancel(operation);
        pa_operation_unref(operation);
        operation = nullptr;
    }
}

} // namespace

PulseStream::PulseStream(PulseConnection& connection, std::function<void()> wakeUp)
    : m_connection(connection), m_wakeUp(std::move(wakeUp))
{
}

PulseStream::~PulseStream()
{
    release();
}

namespace
{

// Why the server did not make the stream, from the context's last error.
std::int32_t refusalOf(pa_context* context)
{
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)))
        return WaveResult::NoDriver; // the server went away before the stream was made
    switch (pa_context_errno(context)) {
    case PA_ERR_NOENTITY:
        return WaveResult::BadDeviceId;
    case PA_ERR_INVALID: // a sample format or rate that the server does not take
    case PA_ERR_NOTSUPPORTED:
    case PA_ERR_TOOLARGE:
        return WaveResult::BadFormat;
    default:
        return WaveResult::Allocated;
    }
}

} // namespace

std::int32_t PulseStream::connect(const WaveFormat& format, const std::string& sink,
                                  const std::string& mediaName, bool held)
{
    const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, format.nSamplesPerSec,
                                      static_cast<std::uint8_t>(format.nChannels)};
    if (!pa_sample_spec_valid(&sampleFormat))
        return WaveResult::BadFormat;
    pa_context* context = m_connection.context();
    // No media role: "phone" corks music on many desktops and "event" is for short alerts.
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME,
                     mediaName.empty() ? "Tones" : mediaName.c_str());
    m_stream = pa_stream_new_with_proplist(context, "Tones", &sampleFormat, nullptr, properties);
    pa_proplist_free(properties);
    if (!m_stream)
        return refusalOf(context);
    pa_stream_set_state_callback(m_stream, onState, this);
    pa_stream_set_write_callback(m_stream, onWrite, this);
    constexpr auto kServerChooses = static_cast<std::uint32_t>(-1);
    const auto bytes = [&sampleFormat](pa_usec_t us) {
        return static_cast<std::uint32_t>(pa_usec_to_bytes(us, &sampleFormat));
    };
    // maxlength, tlength (the queue), prebuf, minreq, fragsize.
    const bool queued = m_connection.onPipeWire();
    const pa_buffer_attr attributes{kServerChooses, bytes(queued ? kQueueUs : kTargetLatencyUs),
                                    kServerChooses, queued ? bytes(kRequestUs) : kServerChooses,
                                    kServerChooses};
    // A keyed call moved to the desktop's speakers when its radio's output goes away would
    // put a dead carrier on the air and the call in the room: the server must not move it.
    const auto flags = static_cast<pa_stream_flags_t>(
        (queued ? PA_STREAM_EARLY_REQUESTS : PA_STREAM_ADJUST_LATENCY) |
        (held ? PA_STREAM_DONT_MOVE : 0));
    if (pa_stream_connect_playback(m_stream, sink.empty() ? nullptr : sink.c_str(), &attributes,
                                   flags, nullptr, nullptr) < 0)
        return refusalOf(context);

    pa_stream* s = m_stream;
    const bool settled = m_connection.waitLocked(
        [s] {
            const pa_stream_state_t state = pa_stream_get_state(s);
            return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
        },
        kServerAnswer);
    if (pa_stream_get_state(s) == PA_STREAM_READY)
        return WaveResult::NoError;
    return settled ? refusalOf(context) : WaveResult::TimedOut;
}

std::int32_t PulseStream::play(WaveHeader& header)
{
    if (!m_stream)
        return WaveResult::InvalidHandle;
    if (m_state == State::Failed)
        return m_error;
    if (m_state == State::Feeding || m_state == State::Draining)
        return WaveResult::StillPlaying;
    m_state = State::Feeding;
    m_header = &header;
    m_offset = 0;
    m_lastAnswer = Clock::now();
    pa_context* context = m_connection.context();
    const pa_usec_t interval = std::chrono::microseconds(kLivenessInterval).count();
    if (m_livenessTimer)
        pa_context_rttime_restart(context, m_livenessTimer, pa_rtclock_now() + interval);
    else
        m_livenessTimer =
            pa_context_rttime_new(context, pa_rtclock_now() + interval, onLivenessTimer, this);
    // The server asked for its first chunk when the stream got ready; later chunks come
    // through the write callback.
    const std::size_t writable = pa_stream_writable_size(m_stream);
    feed(writable == static_cast<std::size_t>(-1) ? 0 : writable);
    return m_error;
}

void PulseStream::feed(std::size_t bytes)
{
    // A write request after the last byte (the server asks for more while it drains, or
    // after the play) has nothing left to feed: only Feeding writes, and drains once.
    if (m_state != State::Feeding)
        return;
    const auto* data = reinterpret_cast<const std::uint8_t*>(m_header->lpData);
    const std::size_t length = m_header->dwBufferLength;
    const std::size_t chunk = std::min(bytes, length - m_offset);
    // Without a free callback libpulse copies the chunk: only a chunk is ever copied, and
    // the caller's buffer is never referenced after the call.
    if (chunk > 0 &&
        pa_stream_write(m_stream, data + m_offset, chunk, nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return fail(WaveResult::Error);
    m_offset += chunk;
    if (m_offset < length)
        return;
    m_drain = pa_stream_drain(m_stream, onDrained, this);
    if (!m_drain)
        return fail(WaveResult::Error);
    m_state = State::Draining;
    m_drainStarted = Clock::now();
}

void PulseStream::stop()
{
    const bool playing = m_state == State::Feeding || m_state == State::Draining;
    if (m_stream && playing && pa_stream_get_state(m_stream) == PA_STREAM_READY) {
        // What the server still holds is dropped, not played out.
        if (pa_operation* flushed = pa_stream_flush(m_stream, nullptr, nullptr))
            pa_operation_unref(flushed);
    }
    release();
    m_header = nullptr;
}

// On the loop's thread, once a kLivenessInterval while a buffer plays.
void PulseStream::checkLiveness()
{
    const Clock::time_point now = Clock::now();
    if (m_state == State::Draining && now - m_drainStarted > kDrainLimit)
        return fail(WaveResult::TimedOut);
    if (m_timing) {
        if (now - m_timingAsked > kServerAnswer)
            fail(WaveResult::TimedOut);
        return;
    }
    if (now - m_lastAnswer < kLivenessInterval)
        return;
    m_timing = pa_stream_update_timing_info(m_stream, onTimingInfo, this);
    m_timingAsked = now;
    if (!m_timing)
        fail(WaveResult::Error);
}

void PulseStream::release()
{
    cancel(m_drain);
    cancel(m_timing);
    if (m_livenessTimer) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_connection.loop());
        api->time_free(m_livenessTimer);
        m_livenessTimer = nullptr;
    }
    if (!m_stream)
        return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    if (state == PA_STREAM_CREATING) {
        // The server has not answered the creation: a disconnect now would be refused, and
        // the stream would stay on the server once it wakes up.
        m_connection.adoptUnansweredLocked(m_stream);
        m_stream = nullptr;
        return;
    }
    if (PA_STREAM_IS_GOOD(state))
        pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulseStream::fail(std::int32_t code)
{
    if (m_state == State::Failed)
        return;
    m_state = State::Failed;
    m_error = code;
    m_wakeUp();
}

void PulseStream::onState(pa_stream* s, void* self)
{
    auto& stream = *static_cast<PulseStream*>(self);
    pa_threaded_mainloop_signal(stream.m_connection.loop(), 0);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED)
        return;
    // release() clears this callback first, so an end seen here is the server's doing. A
    // stream that may not move is killed when its sink goes away.
    pa_context* context = pa_stream_get_context(s);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)))
        return stream.fail(WaveResult::NoDriver);
    stream.fail(pa_context_errno(context) == PA_ERR_KILLED ? WaveResult::BadDeviceId
                                                           : WaveResult::Error);
}

void PulseStream::onWrite(pa_stream*, std::size_t bytes, void* self)
{
    static_cast<PulseStream*>(self)->feed(bytes);
}

void PulseStream::onDrained(pa_stream*, int success, void* self)
{
    auto& stream = *static_cast<PulseStream*>(self);
    pa_operation_unref(stream.m_drain);
    stream.m_drain = nullptr;
    if (stream.m_state != State::Draining)
        return;
    if (!success)
        return stream.fail(WaveResult::Error);
    stream.m_state = State::Drained;
    stream.m_header->dwFlags.fetch_or(WHDR_DONE);
    stream.m_wakeUp();
}

void PulseStream::onTimingInfo(pa_stream*, int, void* self)
{
    auto& stream = *static_cast<PulseStream*>(self);
    pa_operation_unref(stream.m_timing);
    stream.m_timing = nullptr;
    stream.m_lastAnswer = Clock::now();
}

void PulseStream::onLivenessTimer(pa_mainloop_api*, pa_time_event* event, const timeval*,
                                  void* self)
{
    auto& stream = *static_cast<PulseStream*>(self);
    if (stream.m_state != State::Feeding && stream.m_state != State::Draining)
        return; // disarmed until the next play
    stream.checkLiveness();
    const pa_usec_t interval = std::chrono::microseconds(kLivenessInterval).count() / 4;
    pa_context_rttime_restart(pa_stream_get_context(stream.m_stream), event,
                              pa_rtclock_now() + interval);
}

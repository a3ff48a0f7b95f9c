#include "PulseWaveOut.h"

#include <algorithm>
#include <pulse/pulseaudio.h>

// Why no callback can run on freed memory: libpulse runs every callback on the main loop's
// thread with the loop's lock held. A Stream is what its stream's callbacks are given, and
// it is released (releaseStreamLocked) only by code that holds the same lock: its pending
// requests are cancelled first (a cancelled request never calls back), then its callbacks
// are cleared, then the stream is disconnected and unreferenced. Only after that, with no
// path left from libpulse to it, is the Stream freed. The destructor does the same for every
// stream before the connection stops the loop's thread.

namespace
{

using Clock = std::chrono::steady_clock;
constexpr auto kServerAnswer = PulseConnection::kServerAnswer;

// The sound the server holds ahead of the speaker: short, so that a stop is heard at once
// and the drain after the last byte ends soon; long enough for a busy machine.
constexpr pa_usec_t kTargetLatencyUs = 250000;
// While the buffer plays, the server is asked for the stream's timing this often; a request
// unanswered for kServerAnswer means a frozen server.
constexpr std::chrono::milliseconds kLivenessInterval{1000};
// The drain may take this long after the last byte: what the server holds, played slowly,
// and an answer.
constexpr auto kDrainLimit = std::chrono::microseconds(3 * kTargetLatencyUs) + kServerAnswer;

void cancel(pa_operation*& operation)
{
    if (operation) {
        pa_operation_cancel(operation);
        pa_operation_unref(operation);
        operation = nullptr;
    }
}

bool isDone(const WaveHeader* header)
{
    return header && (header->dwFlags.load() & WHDR_DONE) != 0;
}

} // namespace

struct PulseWaveOut::Stream {
    PulseWaveOut* owner = nullptr;
    pa_stream* stream = nullptr;
    WaveHeader* header = nullptr; // the prepared header, if any
    bool queued = false;          // written and not yet reset
    std::size_t offset = 0;       // bytes of the buffer handed to the server so far
    std::int32_t error = WaveResult::NoError;
    pa_operation* drain = nullptr;
    pa_operation* timing = nullptr;
    Clock::time_point drainStarted, timingAsked, lastAnswer;
};

PulseWaveOut::PulseWaveOut() = default;

PulseWaveOut::~PulseWaveOut()
{
    if (!m_connection.loop())
        return;
    PulseConnection::Lock lock(m_connection.loop());
    for (auto& [handle, stream] : m_streams)
        releaseStreamLocked(*stream);
}

std::vector<OutputDevice> PulseWaveOut::outputDevices()
{
    return m_connection.list().sinks;
}

std::uint32_t PulseWaveOut::inputDeviceCount()
{
    return m_connection.list().inputs;
}

std::uint32_t PulseWaveOut::outputDeviceCount()
{
    // A server that takes the connection but does not answer is there, only stuck: counted as
    // one output, so that open() reports it with its code rather than the program saying
    // the machine has no sound card.
    const PulseConnection::Listing listing = m_connection.list();
    return listing.result == WaveResult::TimedOut
               ? 1
               : static_cast<std::uint32_t>(listing.sinks.size());
}

std::int32_t PulseWaveOut::open(WaveHandle& handle, const WaveFormat& format)
{
    if (format.wFormatTag != 1 || format.nChannels < 1 || format.nChannels > 2 ||
        format.wBitsPerSample != 16 || format.nBlockAlign != 2 * format.nChannels ||
        format.nSamplesPerSec == 0 || format.nSamplesPerSec > PA_RATE_MAX)
        return WaveResult::BadFormat;
    if (!m_connection.startLoop())
        return WaveResult::NoMemory;
    PulseConnection::Lock lock(m_connection.loop());
    if (const std::int32_t connected = m_connection.connectLocked())
        return connected;
    auto stream = std::make_unique<Stream>();
    stream->owner = this;
    if (const std::int32_t failed = connectStreamLocked(*stream, format)) {
        releaseStreamLocked(*stream);
        return failed;
    }
    do {
        ++m_lastHandle;
    } while (m_lastHandle == 0 || m_streams.count(m_lastHandle) != 0);
    m_streams.emplace(m_lastHandle, std::move(stream));
    handle = m_lastHandle;
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::connectStreamLocked(Stream& stream, const WaveFormat& format)
{
    const pa_sample_spec spec{PA_SAMPLE_S16LE, format.nSamplesPerSec,
                              static_cast<std::uint8_t>(format.nChannels)};
    // No media role: "phone" corks music on many desktops and "event" is for short alerts.
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME,
                     mediaName().empty() ? "Tones" : mediaName().c_str());
    stream.stream =
        pa_stream_new_with_proplist(m_connection.context(), "Tones", &spec, nullptr, properties);
    pa_proplist_free(properties);
    if (!stream.stream)
        return WaveResult::Allocated;
    pa_stream_set_state_callback(stream.stream, onStreamState, &stream);
    pa_stream_set_write_callback(stream.stream, onStreamWrite, &stream);

    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kTargetLatencyUs, &spec));
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    const char* sink = outputDevice().empty() ? nullptr : outputDevice().c_str();
    if (pa_stream_connect_playback(stream.stream, sink, &attributes, PA_STREAM_ADJUST_LATENCY,
                                   nullptr, nullptr) < 0)
        return WaveResult::Allocated;

    pa_stream* s = stream.stream;
    const bool settled = m_connection.waitLocked(
        [s] {
            const pa_stream_state_t state = pa_stream_get_state(s);
            return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
        },
        kServerAnswer);
    if (pa_stream_get_state(s) == PA_STREAM_READY) {
        stream.error = WaveResult::NoError;
        return WaveResult::NoError;
    }
    if (!settled)
        return WaveResult::TimedOut;
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(m_connection.context())))
        return WaveResult::NoDriver;
    return pa_context_errno(m_connection.context()) == PA_ERR_NOENTITY ? WaveResult::BadDeviceId
                                                                       : WaveResult::Allocated;
}

std::int32_t PulseWaveOut::prepareHeader(WaveHandle handle, WaveHeader& header)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    if (!header.lpData || header.dwBufferLength == 0 || header.dwBufferLength % 2 != 0)
        return WaveResult::InvalidParam;
    PulseConnection::Lock lock(m_connection.loop());
    if (stream->queued && !isDone(stream->header))
        return WaveResult::StillPlaying;
    stream->header = &header;
    header.dwFlags.fetch_and(~WHDR_DONE);
    header.dwFlags.fetch_or(WHDR_PREPARED);
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::write(WaveHandle handle, WaveHeader& header)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    PulseConnection::Lock lock(m_connection.loop());
    if (stream->header != &header || (header.dwFlags.load() & WHDR_PREPARED) == 0)
        return WaveResult::Unprepared;
    if (stream->queued && !isDone(&header))
        return WaveResult::StillPlaying;
    if (!stream->stream || stream->error != WaveResult::NoError)
        return stream->error != WaveResult::NoError ? stream->error : WaveResult::NoDriver;
    header.dwFlags.fetch_and(~WHDR_DONE);
    stream->queued = true;
    stream->offset = 0;
    stream->lastAnswer = Clock::now();
    // The server asked for its first chunk when the stream got ready; later chunks come
    // through the write callback.
    const std::size_t writable = pa_stream_writable_size(stream->stream);
    feedLocked(*stream, writable == static_cast<std::size_t>(-1) ? 0 : writable);
    return stream->error;
}

void PulseWaveOut::feedLocked(Stream& stream, std::size_t bytes)
{
    if (!stream.queued || stream.drain || !stream.header || stream.error != WaveResult::NoError)
        return;
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.header->lpData);
    const std::size_t length = stream.header->dwBufferLength;
    const std::size_t chunk = std::min(bytes, length - stream.offset);
    // Without a free callback libpulse copies the chunk, so only a chunk is ever copied
    // and the caller's buffer is never referenced after the call.
    if (chunk > 0 && pa_stream_write(stream.stream, data + stream.offset, chunk, nullptr, 0,
                                     PA_SEEK_RELATIVE) < 0) {
        stream.error = WaveResult::Error;
        stream.owner->wakeUp();
        return;
    }
    stream.offset += chunk;
    if (stream.offset < length)
        return;
    stream.drain = pa_stream_drain(stream.stream, onDrained, &stream);
    stream.drainStarted = Clock::now();
    if (!stream.drain) {
        stream.error = WaveResult::Error;
        stream.owner->wakeUp();
    }
}

std::int32_t PulseWaveOut::unprepareHeader(WaveHandle handle, WaveHeader& header)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    PulseConnection::Lock lock(m_connection.loop());
    if (stream->header != &header)
        return WaveResult::Unprepared;
    if (stream->queued && !isDone(&header))
        return WaveResult::StillPlaying;
    header.dwFlags.fetch_and(~WHDR_PREPARED);
    stream->header = nullptr;
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::close(WaveHandle handle)
{
    const auto it = m_streams.find(handle);
    if (it == m_streams.end())
        return WaveResult::InvalidHandle;
    Stream& stream = *it->second;
    PulseConnection::Lock lock(m_connection.loop());
    if (stream.queued && stream.header && !isDone(stream.header))
        return WaveResult::StillPlaying;
    releaseStreamLocked(stream);
    m_streams.erase(it);
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::reset(WaveHandle handle)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    PulseConnection::Lock lock(m_connection.loop());
    if (stream->stream && stream->queued &&
        pa_stream_get_state(stream->stream) == PA_STREAM_READY) {
        // What the server still holds is dropped, not played out.
        if (pa_operation* flushed = pa_stream_flush(stream->stream, nullptr, nullptr))
            pa_operation_unref(flushed);
    }
    releaseStreamLocked(*stream);
    stream->queued = false;
    if (stream->header)
        stream->header->dwFlags.fetch_or(WHDR_DONE);
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::deviceError(WaveHandle handle)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    PulseConnection::Lock lock(m_connection.loop());
    if (stream->error == WaveResult::NoError && stream->queued && !isDone(stream->header))
        checkLivenessLocked(*stream);
    return stream->error;
}

// A frozen server neither calls back nor drops the connection: only an unanswered request
// shows it.
void PulseWaveOut::checkLivenessLocked(Stream& stream)
{
    const Clock::time_point now = Clock::now();
    if (stream.drain && now - stream.drainStarted > kDrainLimit) {
        stream.error = WaveResult::TimedOut;
    } else if (stream.timing) {
        if (now - stream.timingAsked > kServerAnswer)
            stream.error = WaveResult::TimedOut;
    } else if (now - stream.lastAnswer >= kLivenessInterval) {
        stream.timing = pa_stream_update_timing_info(stream.stream, onTimingInfo, &stream);
        stream.timingAsked = now;
        if (!stream.timing)
            stream.error = WaveResult::Error;
    }
}

PulseWaveOut::Stream* PulseWaveOut::find(WaveHandle handle)
{
    const auto it = m_streams.find(handle);
    return it == m_streams.end() ? nullptr : it->second.get();
}

void PulseWaveOut::releaseStreamLocked(Stream& stream)
{
    cancel(stream.drain);
    cancel(stream.timing);
    if (!stream.stream)
        return;
    pa_stream_set_state_callback(stream.stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream.stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream.stream)))
        pa_stream_disconnect(stream.stream);
    pa_stream_unref(stream.stream);
    stream.stream = nullptr;
}

void PulseWaveOut::onStreamState(pa_stream* s, void* data)
{
    auto& stream = *static_cast<Stream*>(data);
    pa_threaded_mainloop_signal(stream.owner->m_connection.loop(), 0);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED)
        return;
    // Our own release clears this callback first, so an end seen here is the server's.
    const bool serverGone = !PA_CONTEXT_IS_GOOD(pa_context_get_state(pa_stream_get_context(s)));
    stream.error = serverGone ? WaveResult::NoDriver : WaveResult::Error;
    stream.owner->wakeUp();
}

void PulseWaveOut::onStreamWrite(pa_stream*, std::size_t bytes, void* data)
{
    auto& stream = *static_cast<Stream*>(data);
    stream.owner->feedLocked(stream, bytes);
}

void PulseWaveOut::onDrained(pa_stream*, int success, void* data)
{
    auto& stream = *static_cast<Stream*>(data);
    pa_operation_unref(stream.drain);
    stream.drain = nullptr;
    if (success && stream.header)
        stream.header->dwFlags.fetch_or(WHDR_DONE);
    else
        stream.error = WaveResult::Error;
    stream.owner->wakeUp();
}

void PulseWaveOut::onTimingInfo(pa_stream*, int, void* data)
{
    auto& stream = *static_cast<Stream*>(data);
    pa_operation_unref(stream.timing);
    stream.timing = nullptr;
    stream.lastAnswer = Clock::now();
}

#include "QtWaveOut.h"

#include "SampleBufferDevice.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>
#include <limits>

struct QtWaveOut::Stream {
    std::unique_ptr<QAudioSink> sink;
    SampleBufferDevice device;
    WaveHeader* header = nullptr; // the prepared header, if any
    bool queued = false;          // written and not yet reset
    bool stopping = false;        // our own stop, not a failure
    std::atomic<std::int32_t> error{0};
    qint64 durationUs = 0; // of the queued buffer
    // After the last byte was handed over, the sound server still holds up to a buffer's
    // worth of sound; the play ends when the played time reaches the buffer's duration.
    QTimer tailTimer;
    qint64 tailPlayedUs = -1;
    int tailStalledTicks = 0;
};

namespace
{

constexpr int kTailTickMs = 10;
// Played time that stops short of the end by this much is the end: rounding of the
// server's clock.
constexpr qint64 kTailToleranceUs = 2000;
// A tail whose played time stands still this long will not play any further.
constexpr int kTailStalledTicks = 1000 / kTailTickMs;

std::int32_t resultOf(QAudio::Error error)
{
    switch (error) {
    case QAudio::NoError:
        return WaveResult::NoError;
    case QAudio::OpenError:
        return WaveResult::Allocated;
    case QAudio::FatalError:
        return WaveResult::NoDriver;
    case QAudio::IOError:
    case QAudio::UnderrunError:
        break;
    }
    return WaveResult::Error;
}

bool isDone(const WaveHeader& header)
{
    return (header.dwFlags.load() & WHDR_DONE) != 0;
}

} // namespace

QtWaveOut::QtWaveOut() = default;

QtWaveOut::~QtWaveOut()
{
    for (auto& [handle, stream] : m_streams)
        stopQuietly(*stream);
}

std::uint32_t QtWaveOut::inputDeviceCount()
{
    return static_cast<std::uint32_t>(QMediaDevices::audioInputs().size());
}

std::uint32_t QtWaveOut::outputDeviceCount()
{
    return static_cast<std::uint32_t>(QMediaDevices::audioOutputs().size());
}

std::int32_t QtWaveOut::open(WaveHandle& handle, const WaveFormat& format)
{
    if (format.wFormatTag != 1 || format.nChannels != 1 || format.wBitsPerSample != 16 ||
        format.nBlockAlign != 2 || format.nSamplesPerSec == 0 ||
        format.nSamplesPerSec > static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
        return WaveResult::BadFormat;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return WaveResult::BadDeviceId;
    QAudioFormat audioFormat;
    audioFormat.setSampleRate(static_cast<int>(format.nSamplesPerSec));
    audioFormat.setChannelCount(1);
    audioFormat.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(audioFormat))
        return WaveResult::BadFormat;

    auto stream = std::make_unique<Stream>();
    stream->sink = std::make_unique<QAudioSink>(device, audioFormat);
    Stream* raw = stream.get();
    connect(stream->sink.get(), &QAudioSink::stateChanged, this,
            [this, raw](QAudio::State) { onStateChanged(*raw); });
    stream->tailTimer.setInterval(kTailTickMs);
    connect(&stream->tailTimer, &QTimer::timeout, this, [this, raw] { onTailTick(*raw); });
    do {
        ++m_lastHandle;
    } while (m_lastHandle == 0 || m_streams.count(m_lastHandle) != 0);
    m_streams.emplace(m_lastHandle, std::move(stream));
    handle = m_lastHandle;
    return WaveResult::NoError;
}

std::int32_t QtWaveOut::prepareHeader(WaveHandle handle, WaveHeader& header)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    if (!header.lpData || header.dwBufferLength == 0 || header.dwBufferLength % 2 != 0)
        return WaveResult::InvalidParam;
    if (stream->queued && stream->header && !isDone(*stream->header))
        return WaveResult::StillPlaying;
    stream->header = &header;
    header.dwFlags.fetch_and(~WHDR_DONE);
    header.dwFlags.fetch_or(WHDR_PREPARED);
    return WaveResult::NoError;
}

std::int32_t QtWaveOut::write(WaveHandle handle, WaveHeader& header)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    if (stream->header != &header || (header.dwFlags.load() & WHDR_PREPARED) == 0)
        return WaveResult::Unprepared;
    if (stream->queued && !isDone(header))
        return WaveResult::StillPlaying;

    header.dwFlags.fetch_and(~WHDR_DONE);
    stream->error = WaveResult::NoError;
    stream->device.close();
    stream->device.setBuffer(header.lpData, header.dwBufferLength);
    stream->device.open(QIODevice::ReadOnly);
    stream->queued = true;
    stream->durationUs = static_cast<qint64>(header.dwBufferLength / 2) * 1000000 /
                         stream->sink->format().sampleRate();
    stream->tailPlayedUs = -1;
    stream->tailStalledTicks = 0;
    stream->sink->start(&stream->device);
    if (stream->sink->error() != QAudio::NoError || stream->sink->state() == QAudio::StoppedState) {
        const std::int32_t code = stream->sink->error() == QAudio::NoError
                                      ? WaveResult::Error
                                      : resultOf(stream->sink->error());
        stopQuietly(*stream);
        stream->queued = false;
        return code;
    }
    return WaveResult::NoError;
}

std::int32_t QtWaveOut::unprepareHeader(WaveHandle handle, WaveHeader& header)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    if (stream->header != &header)
        return WaveResult::Unprepared;
    if (stream->queued && !isDone(header))
        return WaveResult::StillPlaying;
    header.dwFlags.fetch_and(~WHDR_PREPARED);
    stream->header = nullptr;
    return WaveResult::NoError;
}

std::int32_t QtWaveOut::close(WaveHandle handle)
{
    const auto it = m_streams.find(handle);
    if (it == m_streams.end())
        return WaveResult::InvalidHandle;
    Stream& stream = *it->second;
    if (stream.queued && stream.header && !isDone(*stream.header))
        return WaveResult::StillPlaying;
    stopQuietly(stream);
    m_streams.erase(it);
    return WaveResult::NoError;
}

std::int32_t QtWaveOut::reset(WaveHandle handle)
{
    Stream* stream = find(handle);
    if (!stream)
        return WaveResult::InvalidHandle;
    stopQuietly(*stream);
    stream->queued = false;
    if (stream->header)
        stream->header->dwFlags.fetch_or(WHDR_DONE);
    return WaveResult::NoError;
}

std::int32_t QtWaveOut::deviceError(WaveHandle handle)
{
    const Stream* stream = find(handle);
    return stream ? stream->error.load() : WaveResult::InvalidHandle;
}

QtWaveOut::Stream* QtWaveOut::find(WaveHandle handle)
{
    const auto it = m_streams.find(handle);
    return it == m_streams.end() ? nullptr : it->second.get();
}

void QtWaveOut::onStateChanged(Stream& stream)
{
    if (stream.stopping || !stream.queued)
        return;
    const QAudio::State state = stream.sink->state();
    // Idle with bytes left is a short underrun; only the end of the data is the end.
    if (state == QAudio::IdleState && stream.device.drained() && stream.header) {
        if (!stream.tailTimer.isActive())
            stream.tailTimer.start();
        onTailTick(stream);
    } else if (state == QAudio::StoppedState) {
        const QAudio::Error error = stream.sink->error();
        stream.error = error == QAudio::NoError ? WaveResult::Error : resultOf(error);
        wakeUp();
    }
}

void QtWaveOut::onTailTick(Stream& stream)
{
    if (!stream.queued || !stream.header)
        return;
    const qint64 played = stream.sink->processedUSecs();
    if (played == stream.tailPlayedUs)
        ++stream.tailStalledTicks;
    else
        stream.tailStalledTicks = 0;
    stream.tailPlayedUs = played;
    if (played + kTailToleranceUs >= stream.durationUs ||
        stream.tailStalledTicks >= kTailStalledTicks) {
        stream.tailTimer.stop();
        stream.header->dwFlags.fetch_or(WHDR_DONE);
        wakeUp();
    }
}

void QtWaveOut::stopQuietly(Stream& stream)
{
    stream.tailTimer.stop();
    stream.stopping = true;
    stream.sink->stop();
    stream.stopping = false;
    stream.device.close();
}

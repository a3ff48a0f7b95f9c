#include "PulseWaveOut.h"

#include <pulse/pulseaudio.h>

PulseWaveOut::PulseWaveOut() = default;

PulseWaveOut::~PulseWaveOut()
{
    // The streams go while the loop still runs and under its lock; the connection then
    // stops the loop.
    if (!m_connection.loop())
        return;
    PulseConnection::Lock lock(m_connection.loop());
    m_devices.clear();
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
    auto stream = std::make_unique<PulseStream>(m_connection, [this] { wakeUp(); });
    if (const std::int32_t failed = stream->connect(format, outputDevice(), mediaName()))
        return failed;
    do {
        ++m_lastHandle;
    } while (m_lastHandle == 0 || m_devices.count(m_lastHandle) != 0);
    m_devices[m_lastHandle].stream = std::move(stream);
    handle = m_lastHandle;
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::prepareHeader(WaveHandle handle, WaveHeader& header)
{
    Device* device = find(handle);
    if (!device)
        return WaveResult::InvalidHandle;
    if (!header.lpData || header.dwBufferLength == 0 || header.dwBufferLength % 2 != 0)
        return WaveResult::InvalidParam;
    if (busy(*device))
        return WaveResult::StillPlaying;
    device->header = &header;
    header.dwFlags.fetch_and(~WHDR_DONE);
    header.dwFlags.fetch_or(WHDR_PREPARED);
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::write(WaveHandle handle, WaveHeader& header)
{
    Device* device = find(handle);
    if (!device)
        return WaveResult::InvalidHandle;
    if (device->header != &header || (header.dwFlags.load() & WHDR_PREPARED) == 0)
        return WaveResult::Unprepared;
    if (busy(*device))
        return WaveResult::StillPlaying;
    if (!device->stream)
        return WaveResult::InvalidHandle;
    PulseConnection::Lock lock(m_connection.loop());
    header.dwFlags.fetch_and(~WHDR_DONE);
    device->queued = true;
    return device->stream->play(header);
}

std::int32_t PulseWaveOut::unprepareHeader(WaveHandle handle, WaveHeader& header)
{
    Device* device = find(handle);
    if (!device)
        return WaveResult::InvalidHandle;
    if (device->header != &header)
        return WaveResult::Unprepared;
    if (busy(*device))
        return WaveResult::StillPlaying;
    header.dwFlags.fetch_and(~WHDR_PREPARED);
    device->header = nullptr;
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::close(WaveHandle handle)
{
    Device* device = find(handle);
    if (!device)
        return WaveResult::InvalidHandle;
    if (busy(*device))
        return WaveResult::StillPlaying;
    PulseConnection::Lock lock(m_connection.loop());
    m_devices.erase(handle);
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::reset(WaveHandle handle)
{
    Device* device = find(handle);
    if (!device)
        return WaveResult::InvalidHandle;
    if (device->stream) {
        PulseConnection::Lock lock(m_connection.loop());
        device->stream->stop();
        device->stream.reset();
    }
    device->queued = false;
    if (device->header)
        device->header->dwFlags.fetch_or(WHDR_DONE);
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::deviceError(WaveHandle handle)
{
    Device* device = find(handle);
    if (!device)
        return WaveResult::InvalidHandle;
    if (!device->stream)
        return WaveResult::NoError;
    PulseConnection::Lock lock(m_connection.loop());
    return device->stream->error();
}

PulseWaveOut::Device* PulseWaveOut::find(WaveHandle handle)
{
    const auto it = m_devices.find(handle);
    return it == m_devices.end() ? nullptr : &it->second;
}

// Written, not yet reset, and the done flag not yet set.
bool PulseWaveOut::busy(const Device& device)
{
    return device.queued && device.header && (device.header->dwFlags.load() & WHDR_DONE) == 0;
}

#include "PulseWaveOut.h"

#include "ProcessLimits.h"

#include <pulse/pulseaudio.h>

PulseWaveOut::PulseWaveOut() : m_devices(2, PA_RATE_MAX)
{
}

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

std::int32_t PulseWaveOut::checkOutput(const std::string& name)
{
    const PulseConnection::Listing listing = m_connection.list();
    if (listing.result != WaveResult::NoError)
        return listing.result;
    for (const OutputDevice& sink : listing.sinks) {
        if (sink.name == name)
            return WaveResult::NoError;
    }
    return WaveResult::BadDeviceId;
}

std::string PulseWaveOut::reasonFor(int step, std::int32_t code) const
{
    const bool open = step == 1;
    switch (code) {
    case WaveResult::NoDriver:
        return open ? "no sound server answers" : "the sound server went away during the play";
    case WaveResult::TimedOut:
        return open ? "the sound server took the connection but does not answer: it is stuck"
                    : "the sound server stopped answering during the play";
    case WaveResult::BadDeviceId:
        return open ? "the sound server has no such output"
                    : "the output went away during the play";
    case WaveResult::Allocated:
        return "the sound server refused the stream";
    case WaveResult::BadFormat:
        return "the sound server does not take 16-bit sound at this rate";
    case WaveResult::NoMemory: {
        const std::string why = ProcessLimits::shortage();
        return "the sound library could not start its thread" + (why.empty() ? "" : ": " + why);
    }
    case WaveResult::Error:
        if (step == 3)
            return "the sound server ended the stream during the play";
        break;
    default:
        break;
    }
    return WaveOut::reasonFor(step, code);
}

std::uint32_t PulseWaveOut::inputDeviceCount()
{
    return m_connection.list().inputs;
}

std::uint32_t PulseWaveOut::outputDeviceCount()
{
    // A server that takes the connection but does not answer is there, only stuck, and one
    // that the process had no thread or descriptor to ask may be there too: counted as one
    // output, so that open() reports it with its code rather than the program saying the
    // machine has no sound card.
    const PulseConnection::Listing listing = m_connection.list();
    return listing.result == WaveResult::TimedOut || listing.result == WaveResult::NoMemory
               ? 1
               : static_cast<std::uint32_t>(listing.sinks.size());
}

std::int32_t PulseWaveOut::open(WaveHandle& handle, const WaveFormat& format)
{
    if (const std::int32_t unplayable = m_devices.checkFormat(format))
        return unplayable;
    if (!m_connection.startLoop())
        return WaveResult::NoMemory;
    PulseConnection::Lock lock(m_connection.loop());
    if (const std::int32_t connected = m_connection.connectLocked())
        return connected;
    auto stream = std::make_unique<PulseStream>(m_connection, [this] { wakeUp(); });
    if (const std::int32_t failed =
            stream->connect(format, outputDevice(), mediaName(), outputHeld()))
        return failed;
    handle = m_devices.add(std::move(stream));
    return WaveResult::NoError;
}

std::int32_t PulseWaveOut::prepareHeader(WaveHandle handle, WaveHeader& header)
{
    return m_devices.prepare(handle, header);
}

std::int32_t PulseWaveOut::write(WaveHandle handle, WaveHeader& header)
{
    return m_devices.write(handle, header, [this, &header](Device& device) {
        PulseConnection::Lock lock(m_connection.loop());
        return device.stream->play(header);
    });
}

std::int32_t PulseWaveOut::unprepareHeader(WaveHandle handle, WaveHeader& header)
{
    return m_devices.unprepare(handle, header);
}

std::int32_t PulseWaveOut::close(WaveHandle handle)
{
    // The stream goes under the loop's lock, which its callbacks run under too: none of them
    // can be running on it, and it clears them before the lock is let go.
    return m_devices.close(handle, [this] { return PulseConnection::Lock(m_connection.loop()); });
}

std::int32_t PulseWaveOut::reset(WaveHandle handle)
{
    return m_devices.reset(handle, [this](Device& device) {
        if (!device.stream)
            return;
        PulseConnection::Lock lock(m_connection.loop());
        device.stream->stop();
        device.stream.reset();
    });
}

std::int32_t PulseWaveOut::deviceError(WaveHandle handle)
{
    Device* device = m_devices.find(handle);
    if (!device)
        return WaveResult::InvalidHandle;
    if (!device->stream)
        return WaveResult::NoError;
    PulseConnection::Lock lock(m_connection.loop());
    return device->stream->error();
}

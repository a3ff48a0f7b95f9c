#include "FakeWaveOut.h"

void FakeWaveOut::setDone()
{
    if (m_written)
        m_written->dwFlags.fetch_or(WHDR_DONE);
    wakeUp();
}

void FakeWaveOut::setDeviceError(std::int32_t code)
{
    m_deviceError = code;
    wakeUp();
}

std::vector<std::string> FakeWaveOut::steps() const
{
    std::vector<std::string> names;
    for (const Call& call : m_calls)
        names.push_back(call.step);
    return names;
}

std::uint32_t FakeWaveOut::inputDeviceCount()
{
    return inputDevices;
}

std::uint32_t FakeWaveOut::outputDeviceCount()
{
    return outputDevices;
}

std::int32_t FakeWaveOut::open(WaveHandle& handle, const WaveFormat& format)
{
    lastFormat = format;
    const std::int32_t result = record("open", 0, nullptr);
    if (result == 0)
        handle = nextHandle;
    return result;
}

std::int32_t FakeWaveOut::prepareHeader(WaveHandle handle, WaveHeader& header)
{
    const std::int32_t result = record("prepareHeader", handle, &header);
    if (result == 0)
        header.dwFlags.fetch_or(WHDR_PREPARED);
    return result;
}

std::int32_t FakeWaveOut::write(WaveHandle handle, WaveHeader& header)
{
    const std::int32_t result = record("write", handle, &header);
    if (result == 0) {
        m_written = &header;
        if (doneOnWrite)
            header.dwFlags.fetch_or(WHDR_DONE);
    }
    return result;
}

std::int32_t FakeWaveOut::unprepareHeader(WaveHandle handle, WaveHeader& header)
{
    const std::int32_t result = record("unprepareHeader", handle, &header);
    if (result == 0)
        header.dwFlags.fetch_and(~WHDR_PREPARED);
    return result;
}

std::int32_t FakeWaveOut::close(WaveHandle handle)
{
    return record("close", handle, nullptr);
}

std::int32_t FakeWaveOut::reset(WaveHandle handle)
{
    if (m_written)
        m_written->dwFlags.fetch_or(WHDR_DONE);
    return record("reset", handle, nullptr);
}

std::int32_t FakeWaveOut::deviceError(WaveHandle)
{
    ++m_deviceErrorPolls;
    return m_deviceError;
}

std::int32_t FakeWaveOut::record(const std::string& step, WaveHandle handle,
                                 const WaveHeader* header)
{
    Call call{step, handle};
    if (header) {
        call.data = header->lpData;
        call.bytes = header->dwBufferLength;
        call.user = header->dwUser;
        call.flags = header->dwFlags.load();
    }
    m_calls.push_back(call);
    const auto failure = m_failures.find(step);
    return failure == m_failures.end() ? 0 : failure->second;
}

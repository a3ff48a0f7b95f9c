#pragma once

#include "WaveOut.h"

#include <cstdint>
#include <map>
#include <memory>

// The open devices of one backend, each with its stream and the header prepared on it, and
// the rules of the header steps that every backend keeps the same: the handles, the order of
// prepare, write, unprepare and close, and what a reset does to the header. The backend
// supplies only what touches its stream (the play, the stop, and a guard held while a stream
// is destroyed), so the result codes read the same whichever backend plays.
template <typename Stream> class WaveDeviceTable
{
public:
    struct Device {
        std::unique_ptr<Stream> stream; // a backend may drop it on reset
        WaveHeader* header = nullptr;   // prepared on this handle
        bool queued = false;            // written, and neither reset nor prepared again since
    };

    // The formats a backend plays: 16-bit PCM of up to maxChannels interleaved channels, at
    // 1 to maxRate samples per second.
    WaveDeviceTable(std::uint16_t maxChannels, std::uint32_t maxRate)
        : m_maxChannels(maxChannels), m_maxRate(maxRate)
    {
    }

    std::int32_t checkFormat(const WaveFormat& format) const
    {
        const bool playable = format.wFormatTag == 1 && format.nChannels >= 1 &&
                              format.nChannels <= m_maxChannels && format.wBitsPerSample == 16 &&
                              format.nBlockAlign == 2 * format.nChannels &&
                              format.nSamplesPerSec != 0 && format.nSamplesPerSec <= m_maxRate;
        return playable ? WaveResult::NoError : WaveResult::BadFormat;
    }

    // Never 0 (the caller's "no device"), never a handle still open.
    WaveHandle add(std::unique_ptr<Stream> stream)
    {
        do {
            ++m_lastHandle;
        } while (m_lastHandle == 0 || m_devices.count(m_lastHandle) != 0);
        m_devices[m_lastHandle].stream = std::move(stream);
        return m_lastHandle;
    }

    Device* find(WaveHandle handle)
    {
        const auto it = m_devices.find(handle);
        return it == m_devices.end() ? nullptr : &it->second;
    }

    std::int32_t prepare(WaveHandle handle, WaveHeader& header)
    {
        Device* device = find(handle);
        if (!device)
            return WaveResult::InvalidHandle;
        if (!header.lpData || header.dwBufferLength == 0 || header.dwBufferLength % 2 != 0)
            return WaveResult::InvalidParam;
        if (busy(*device))
            return WaveResult::StillPlaying;
        device->header = &header;
        device->queued = false;
        header.dwFlags.fetch_and(~WHDR_DONE);
        header.dwFlags.fetch_or(WHDR_PREPARED);
        return WaveResult::NoError;
    }

    // play(device) starts the stream on the header, whose done flag is already clear, and
    // returns its code; the header counts as queued only when that is 0.
    template <typename Play> std::int32_t write(WaveHandle handle, WaveHeader& header, Play play)
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
        header.dwFlags.fetch_and(~WHDR_DONE);
        const std::int32_t result = play(*device);
        device->queued = result == WaveResult::NoError;
        return result;
    }

    std::int32_t unprepare(WaveHandle handle, WaveHeader& header)
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
        device->queued = false;
        return WaveResult::NoError;
    }

    // lock() returns a guard that is held while the device and its stream are destroyed.
    template <typename Lock> std::int32_t close(WaveHandle handle, Lock lock)
    {
        const auto it = m_devices.find(handle);
        if (it == m_devices.end())
            return WaveResult::InvalidHandle;
        if (busy(it->second))
            return WaveResult::StillPlaying;
        [[maybe_unused]] const auto guard = lock();
        m_devices.erase(it);
        return WaveResult::NoError;
    }

    // stop(device) silences the stream and makes it let go of the buffer; only then is the
    // header marked done, so a waiting poll ends with the buffer already free.
    template <typename Stop> std::int32_t reset(WaveHandle handle, Stop stop)
    {
        Device* device = find(handle);
        if (!device)
            return WaveResult::InvalidHandle;
        stop(*device);
        device->queued = false;
        if (device->header)
            device->header->dwFlags.fetch_or(WHDR_DONE);
        return WaveResult::NoError;
    }

    void clear() { m_devices.clear(); }

private:
    // Written, not yet reset, and the done flag not yet set.
    static bool busy(const Device& device)
    {
        return device.queued && device.header && (device.header->dwFlags.load() & WHDR_DONE) == 0;
    }

    std::uint16_t m_maxChannels;
    std::uint32_t m_maxRate;
    std::map<WaveHandle, Device> m_devices;
    WaveHandle m_lastHandle = 0;
};

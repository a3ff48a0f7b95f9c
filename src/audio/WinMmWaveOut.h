#pragma once

#include "WaveOut.h"

#include <map>
#include <memory>

// Plays through Windows' own wave-out interface (winmm). open() takes WAVE_MAPPER, the
// system's default output, or the device whose name outputDevice() holds; there is no
// callback: a thread of the open device watches the header's done flag, which winmm sets,
// and copies it into the caller's header, waking the waiting poll.
//
// Every step returns winmm's own result code (MMSYSERR_*, WAVERR_*), whose numbers the
// WaveResult list follows, so the numbered reports read as on the platform itself.
class WinMmWaveOut : public WaveOut
{
public:
    WinMmWaveOut();
    ~WinMmWaveOut() override;
    WinMmWaveOut(const WinMmWaveOut&) = delete;
    WinMmWaveOut& operator=(const WinMmWaveOut&) = delete;

    // The wave-out devices by the names their drivers give; the default one is the mapper's.
    std::vector<OutputDevice> outputDevices() override;
    std::uint32_t inputDeviceCount() override;
    std::uint32_t outputDeviceCount() override;
    std::int32_t open(WaveHandle& handle, const WaveFormat& format) override;
    std::int32_t prepareHeader(WaveHandle handle, WaveHeader& header) override;
    std::int32_t write(WaveHandle handle, WaveHeader& header) override;
    std::int32_t unprepareHeader(WaveHandle handle, WaveHeader& header) override;
    std::int32_t close(WaveHandle handle) override;
    std::int32_t reset(WaveHandle handle) override;
    std::int32_t deviceError(WaveHandle handle) override;

private:
    struct Device;

    Device* find(WaveHandle handle);

    std::map<WaveHandle, std::unique_ptr<Device>> m_devices;
    WaveHandle m_lastHandle = 0;
};

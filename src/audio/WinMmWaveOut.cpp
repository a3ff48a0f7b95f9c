#include "WinMmWaveOut.h"

#include <atomic>
#include <chrono>
#include <thread>
// After WaveOut.h, whose WHDR_DONE winmm's header then defines as a macro of the same value;
// mmsystem.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h> // DRVM_MAPPER_PREFERRED_GET
// clang-format on

namespace
{

// How often the watcher reads the done flag: the measured play time is late by at most this.
constexpr auto kWatchStep = std::chrono::milliseconds(2);

std::string utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.pop_back(); // the terminating NUL
    return result;
}

std::int32_t code(MMRESULT result)
{
    return static_cast<std::int32_t>(result);
}

} // namespace

struct WinMmWaveOut::Device {
    HWAVEOUT wave = nullptr;
    WAVEHDR native{};             // winmm's header; it must not move while prepared
    WaveHeader* header = nullptr; // the caller's, prepared on this device
    std::thread watcher;          // from the write until the done flag, a reset or a close
    std::atomic<bool> stopWatching{false};

    void stopWatcher()
    {
        stopWatching = true;
        if (watcher.joinable())
            watcher.join();
        stopWatching = false;
    }
};

WinMmWaveOut::WinMmWaveOut() = default;

WinMmWaveOut::~WinMmWaveOut()
{
    // A device still open at the end is stopped and let go, so that no thread outlives this.
    for (auto& [handle, device] : m_devices) {
        device->stopWatcher();
        waveOutReset(device->wave);
        waveOutUnprepareHeader(device->wave, &device->native, sizeof(WAVEHDR));
        waveOutClose(device->wave);
    }
}

WinMmWaveOut::Device* WinMmWaveOut::find(WaveHandle handle)
{
    const auto it = m_devices.find(handle);
    return it == m_devices.end() ? nullptr : it->second.get();
}

std::vector<OutputDevice> WinMmWaveOut::outputDevices()
{
    // The mapper's preferred device is the one that WAVE_MAPPER plays on.
    DWORD preferred = WAVE_MAPPER, flags = 0;
    const auto mapper = reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(WAVE_MAPPER));
    if (waveOutMessage(mapper, DRVM_MAPPER_PREFERRED_GET, reinterpret_cast<DWORD_PTR>(&preferred),
                       reinterpret_cast<DWORD_PTR>(&flags)) != MMSYSERR_NOERROR)
        preferred = WAVE_MAPPER;
    std::vector<OutputDevice> devices;
    const UINT count = waveOutGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEOUTCAPSW caps{};
        if (waveOutGetDevCapsW(id, &caps, sizeof caps) != MMSYSERR_NOERROR)
            continue;
        OutputDevice device;
        device.name = utf8(caps.szPname);
        device.description = device.name;
        device.isDefault = id == preferred;
        devices.push_back(std::move(device));
    }
    return devices;
}

std::uint32_t WinMmWaveOut::inputDeviceCount()
{
    return waveInGetNumDevs();
}

std::uint32_t WinMmWaveOut::outputDeviceCount()
{
    return waveOutGetNumDevs();
}

std::int32_t WinMmWaveOut::open(WaveHandle& handle, const WaveFormat& format)
{
    UINT id = WAVE_MAPPER;
    if (!outputDevice().empty()) {
        // A name is looked up at every open: devices come and go between two sends.
        const std::vector<OutputDevice> devices = outputDevices();
        id = static_cast<UINT>(devices.size());
        for (UINT i = 0; i < devices.size(); ++i)
            if (devices[i].name == outputDevice()) {
                id = i;
                break;
            }
        if (id == devices.size())
            return MMSYSERR_BADDEVICEID;
    }
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = format.wFormatTag;
    wfx.nChannels = format.nChannels;
    wfx.nSamplesPerSec = format.nSamplesPerSec;
    wfx.nAvgBytesPerSec = format.nAvgBytesPerSec;
    wfx.nBlockAlign = format.nBlockAlign;
    wfx.wBitsPerSample = format.wBitsPerSample;
    wfx.cbSize = format.cbSize;
    auto device = std::make_unique<Device>();
    const MMRESULT result = waveOutOpen(&device->wave, id, &wfx, 0, 0, CALLBACK_NULL);
    if (result != MMSYSERR_NOERROR)
        return code(result);
    do {
        ++m_lastHandle;
    } while (m_lastHandle == 0 || m_devices.count(m_lastHandle) != 0);
    m_devices[m_lastHandle] = std::move(device);
    handle = m_lastHandle;
    return MMSYSERR_NOERROR;
}

std::int32_t WinMmWaveOut::prepareHeader(WaveHandle handle, WaveHeader& header)
{
    Device* device = find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    if (device->header && (device->native.dwFlags & WHDR_PREPARED) != 0)
        return WAVERR_STILLPLAYING; // one header per device, as the cycle uses it
    device->native = WAVEHDR{};
    device->native.lpData = reinterpret_cast<LPSTR>(header.lpData);
    device->native.dwBufferLength = header.dwBufferLength;
    device->native.dwUser = header.dwUser;
    const MMRESULT result = waveOutPrepareHeader(device->wave, &device->native, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR)
        return code(result);
    device->header = &header;
    header.dwFlags = static_cast<std::uint32_t>(device->native.dwFlags);
    return MMSYSERR_NOERROR;
}

std::int32_t WinMmWaveOut::write(WaveHandle handle, WaveHeader& header)
{
    Device* device = find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    if (device->header != &header)
        return WAVERR_UNPREPARED;
    device->stopWatcher();
    const MMRESULT result = waveOutWrite(device->wave, &device->native, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR)
        return code(result);
    header.dwFlags.fetch_and(~std::uint32_t{WHDR_DONE});
    // winmm sets the flag from its own thread; it is read through a volatile view each time.
    device->watcher = std::thread([this, device] {
        const volatile DWORD& flags = device->native.dwFlags;
        while (!device->stopWatching.load()) {
            if ((flags & WHDR_DONE) != 0) {
                device->header->dwFlags.fetch_or(WHDR_DONE);
                wakeUp();
                return;
            }
            std::this_thread::sleep_for(kWatchStep);
        }
    });
    return MMSYSERR_NOERROR;
}

std::int32_t WinMmWaveOut::unprepareHeader(WaveHandle handle, WaveHeader& header)
{
    Device* device = find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    if (device->header != &header)
        return WAVERR_UNPREPARED;
    const MMRESULT result = waveOutUnprepareHeader(device->wave, &device->native, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR)
        return code(result);
    device->stopWatcher();
    header.dwFlags.fetch_and(~std::uint32_t{WHDR_PREPARED});
    device->header = nullptr;
    return MMSYSERR_NOERROR;
}

std::int32_t WinMmWaveOut::close(WaveHandle handle)
{
    Device* device = find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    const MMRESULT result = waveOutClose(device->wave);
    if (result != MMSYSERR_NOERROR)
        return code(result);
    device->stopWatcher();
    m_devices.erase(handle);
    return MMSYSERR_NOERROR;
}

std::int32_t WinMmWaveOut::reset(WaveHandle handle)
{
    Device* device = find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    // winmm gives the buffer back marked done; the caller's header follows only after that,
    // so a waiting poll ends with the buffer already free.
    const MMRESULT result = waveOutReset(device->wave);
    device->stopWatcher();
    if (device->header && (device->native.dwFlags & WHDR_DONE) != 0)
        device->header->dwFlags.fetch_or(WHDR_DONE);
    return code(result);
}

std::int32_t WinMmWaveOut::deviceError(WaveHandle handle)
{
    // winmm reports no failure after a write; a lost device leaves the done flag unset, and
    // the cycle's time limit ends the wait.
    return find(handle) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

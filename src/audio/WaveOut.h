#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The wave-out device as the playback cycle sees it: one buffer at a time, played
// straight out of the caller's memory, its end found by polling a flag.

using WaveHandle = std::uint32_t;

// Result codes of the device steps. 0 is success; the numbers follow the classic
// wave-out interface so that a report reads the same on every backend.
namespace WaveResult
{
inline constexpr std::int32_t NoError = 0;
inline constexpr std::int32_t Error = 1;         // unspecified failure of the device
inline constexpr std::int32_t BadDeviceId = 2;   // there is no default output device
inline constexpr std::int32_t Allocated = 4;     // the device could not be opened
inline constexpr std::int32_t InvalidHandle = 5; // no open device has this handle
inline constexpr std::int32_t NoDriver = 6;      // the sound server is gone
inline constexpr std::int32_t NoMemory = 7;
inline constexpr std::int32_t InvalidParam = 11; // a header without data
inline constexpr std::int32_t BadFormat = 32;    // the device cannot play this format
inline constexpr std::int32_t StillPlaying = 33; // the buffer is queued and not done
inline constexpr std::int32_t Unprepared = 34;   // the header was not prepared
inline constexpr std::int32_t TimedOut = 258;    // the end of the play never came
} // namespace WaveResult

// PCM format of one open device.
struct WaveFormat {
    std::uint16_t wFormatTag = 1; // PCM
    std::uint16_t nChannels = 1;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 2;
    std::uint16_t wBitsPerSample = 16;
    std::uint16_t cbSize = 0;
};

inline constexpr std::uint32_t WHDR_DONE = 1; // the device has played the whole buffer
inline constexpr std::uint32_t WHDR_PREPARED =
    2; // set by prepareHeader, cleared by unprepareHeader

// The header of the one buffer in play. The device writes dwFlags while the buffer plays,
// possibly from another thread, so it is atomic and read afresh on every poll. The header
// must not move between prepareHeader and unprepareHeader.
struct WaveHeader {
    std::int16_t* lpData = nullptr;   // element 1 of the sample buffer
    std::uint32_t dwBufferLength = 0; // bytes: 2 per sample
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::atomic<std::uint32_t> dwFlags{0};
    std::uint32_t dwLoops = 0;
    WaveHeader* lpNext = nullptr;
};

// One output that open() can be pointed at.
struct OutputDevice {
    std::string name;        // what setOutputDevice() takes
    std::string description; // for people
    bool isDefault = false;
};

class WaveOut
{
public:
    virtual ~WaveOut() = default;

    // The outputs there are now; empty when the backend cannot tell.
    virtual std::vector<OutputDevice> outputDevices() { return {}; }
    // 0 when open() can play on the named output, else the code that open() would give.
    // By default a name is good when outputDevices() lists it or lists nothing.
    virtual std::int32_t checkOutput(const std::string& name);
    // Why a step failed with the code, in plain words, for the reports of a program without
    // a window. step is the report's number: 1 open, 2 prepare, 3 the write and the play,
    // 4 unprepare, 5 close. By default the meanings of the codes in the list above.
    virtual std::string reasonFor(int step, std::int32_t code) const;
    // The output that the next open() uses; empty for the system's default output.
    void setOutputDevice(std::string name) { m_outputDevice = std::move(name); }
    const std::string& outputDevice() const { return m_outputDevice; }
    // The next open() keeps its sound on its output: the server may not move it elsewhere,
    // and the play fails when that output goes away. Always so for a named output.
    void setOutputHeld(bool held) { m_outputHeld = held; }
    bool outputHeld() const { return m_outputHeld || !m_outputDevice.empty(); }
    // What a sound mixer shows for the stream of the next open(): a few characters of the
    // sequence, say.
    void setMediaName(std::string name) { m_mediaName = std::move(name); }
    const std::string& mediaName() const { return m_mediaName; }

    virtual std::uint32_t inputDeviceCount() = 0;
    virtual std::uint32_t outputDeviceCount() = 0;

    // Opens the default output device; on success stores the new handle (never 0).
    virtual std::int32_t open(WaveHandle& handle, const WaveFormat& format) = 0;
    virtual std::int32_t prepareHeader(WaveHandle handle, WaveHeader& header) = 0;
    // Queues the buffer and returns at once; WHDR_DONE is set in the header when it has
    // been played.
    virtual std::int32_t write(WaveHandle handle, WaveHeader& header) = 0;
    virtual std::int32_t unprepareHeader(WaveHandle handle, WaveHeader& header) = 0;
    virtual std::int32_t close(WaveHandle handle) = 0;
    // Stops the play and marks the queued buffer done.
    virtual std::int32_t reset(WaveHandle handle) = 0;

    // Non-zero when the device failed after the write (the sound server went away, say):
    // the done flag will then never come. Read on every poll.
    virtual std::int32_t deviceError(WaveHandle handle) = 0;

    // Called, from any thread, whenever the done flag or a device error is set, so that a
    // waiting poll wakes up at once.
    void setWakeUp(std::function<void()> wakeUp) { m_wakeUp = std::move(wakeUp); }

protected:
    void wakeUp() const
    {
        if (m_wakeUp)
            m_wakeUp();
    }

private:
    std::function<void()> m_wakeUp;
    std::string m_outputDevice;
    bool m_outputHeld = false;
    std::string m_mediaName;
};

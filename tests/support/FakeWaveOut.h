#pragma once

#include "WaveOut.h"

#include <map>
#include <string>
#include <vector>

// A wave-out device that plays nothing: it records every call in order, can fail any
// step with a chosen code, and leaves the end of the play (or a device failure) to the
// test, which sets it whenever it likes, e.g. from an event-pump pass.
class FakeWaveOut : public WaveOut
{
public:
    struct Call {
        std::string step; // "open", "prepareHeader", "write", "unprepareHeader", "close", "reset"
        WaveHandle handle = 0;
        const std::int16_t* data = nullptr; // the header's buffer, for the header steps
        std::uint32_t bytes = 0;
        std::uintptr_t user = 0;
        std::uint32_t flags = 0; // the header's flags when the call came
    };

    std::uint32_t inputDevices = 1;
    std::uint32_t outputDevices = 1;
    WaveHandle nextHandle = 0x51;
    bool doneOnWrite = false; // the buffer plays at once
    WaveFormat lastFormat;

    // The next calls of this step return the code instead of 0.
    void failStep(const std::string& step, std::int32_t code) { m_failures[step] = code; }
    // Sets WHDR_DONE in the header that was written, as the device does at the end.
    void setDone();
    // The device fails mid-play: deviceError() returns the code from now on.
    void setDeviceError(std::int32_t code);

    const std::vector<Call>& calls() const { return m_calls; }
    std::vector<std::string> steps() const;
    int deviceErrorPolls() const { return m_deviceErrorPolls; }
    const WaveHeader* writtenHeader() const { return m_written; }

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
    std::int32_t record(const std::string& step, WaveHandle handle, const WaveHeader* header);

    std::vector<Call> m_calls;
    std::map<std::string, std::int32_t> m_failures;
    WaveHeader* m_written = nullptr;
    std::int32_t m_deviceError = 0;
    int m_deviceErrorPolls = 0;
};

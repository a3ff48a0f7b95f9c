#pragma once

#include "WaveOut.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// A wave-out device that plays nothing: it records every call in order, returns the code set
// in failures for a step (0 otherwise; "deviceError" is what every poll of it returns), and
// leaves the end of the play to the test, which calls setDone() whenever it likes, e.g. from
// an event-pump pass.
class FakeWaveOut : public WaveOut
{
public:
    struct Call {
        std::string step; // "open", "prepareHeader", "write", "unprepareHeader", "close", "reset"
        WaveHandle handle;
        std::uint32_t bytes; // the header's length, for the header steps
    };

    std::uint32_t inputDevices = 1;
    std::uint32_t outputCount = 1;
    bool doneOnWrite = false; // the buffer plays at once
    std::map<std::string, std::int32_t> failures;
    std::vector<OutputDevice> outputList;           // what outputDevices() lists
    std::function<void(const std::string&)> onCall; // hears every step as it is recorded
    std::string openedOn;                           // the output chosen when open() ran
    std::vector<std::int16_t> played;               // the samples of the last write

    void failStep(const std::string& step, std::int32_t code) { failures[step] = code; }
    // Marks the written header done and wakes the wait, as the device does at the end.
    void setDone()
    {
        m_written->dwFlags |= WHDR_DONE;
        wakeUp();
    }
    const std::vector<Call>& calls() const { return m_calls; }
    const std::vector<std::string>& steps() const { return m_steps; }

    std::vector<OutputDevice> outputDevices() override { return outputList; }
    std::uint32_t inputDeviceCount() override { return inputDevices; }
    std::uint32_t outputDeviceCount() override { return outputCount; }
    std::int32_t open(WaveHandle& handle, const WaveFormat&) override
    {
        handle = failures["open"] == 0 ? 0x51 : handle; // a failed open gives no handle
        openedOn = outputDevice();
        return record("open", 0);
    }
    std::int32_t prepareHeader(WaveHandle handle, WaveHeader& header) override
    {
        return record("prepareHeader", handle, &header);
    }
    std::int32_t write(WaveHandle handle, WaveHeader& header) override
    {
        m_written = &header;
        played.assign(header.lpData, header.lpData + header.dwBufferLength / 2);
        if (doneOnWrite)
            setDone();
        return record("write", handle, &header);
    }
    std::int32_t unprepareHeader(WaveHandle handle, WaveHeader& header) override
    {
        return record("unprepareHeader", handle, &header);
    }
    std::int32_t close(WaveHandle handle) override { return record("close", handle); }
    std::int32_t reset(WaveHandle handle) override { return record("reset", handle); }
    std::int32_t deviceError(WaveHandle) override { return failures["deviceError"]; }

private:
    std::int32_t record(const std::string& step, WaveHandle handle, WaveHeader* header = nullptr)
    {
        m_calls.push_back({step, handle, header ? header->dwBufferLength : 0});
        m_steps.push_back(step);
        if (onCall)
            onCall(step);
        return failures[step];
    }

    std::vector<Call> m_calls;
    std::vector<std::string> m_steps;
    WaveHeader m_unwritten;
    WaveHeader* m_written = &m_unwritten; // setDone() before a write marks nothing that plays
};

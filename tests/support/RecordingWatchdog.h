#pragma once

#include "LineWatchdog.h"

#include <functional>
#include <string>

// A watchdog that runs nothing: it hands "watch", "until=MS" (the time-out it is told),
// "released" and "takeover" to record. Its descriptor is a number that no file has, for a
// FakeEventPump to play its end (ready(kDescriptor)); ended() says true once that happened.
class RecordingWatchdog : public LineWatchdog
{
public:
    static constexpr int kDescriptor = 1000;

    explicit RecordingWatchdog(std::function<void(const std::string&)> record, bool* gone = nullptr)
        : m_record(std::move(record)), m_gone(gone)
    {
    }

    std::string start(const std::string&, int) override
    {
        m_record("watch");
        return {};
    }
    void releaseWithin(std::chrono::milliseconds limit) override
    {
        m_record("until=" + std::to_string(limit.count()));
    }
    int descriptor() const override { return kDescriptor; }
    bool ended() override { return m_gone && *m_gone; }
    void released() override { m_record("released"); }
    void takeOver() override { m_record("takeover"); }

private:
    std::function<void(const std::string&)> m_record;
    bool* m_gone;
};

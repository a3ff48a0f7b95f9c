#pragma once

#include "LineWatchdog.h"

#include <functional>
#include <string>

// A watchdog that runs nothing: it hands "watch" and "released" to record.
class RecordingWatchdog : public LineWatchdog
{
public:
    explicit RecordingWatchdog(std::function<void(const std::string&)> record)
        : m_record(std::move(record))
    {
    }

    std::string start(const std::string&, int) override
    {
        m_record("watch");
        return {};
    }
    void released() override { m_record("released"); }

private:
    std::function<void(const std::string&)> m_record;
};

#pragma once

#include "PttLine.h"

#include <cerrno>
#include <functional>
#include <map>
#include <string>
#include <system_error>

// A PTT line that drives nothing: it hands each step ("open", "key", "unkey") to record, so
// that a test can put them on one timeline with the sound, and fails a step (or "check")
// with the text set in failures; "throw:WHAT" throws a std::system_error of WHAT instead, as
// a thread or a lock that cannot be had does.
class RecordingPttLine : public PttLine
{
public:
    explicit RecordingPttLine(std::function<void(const std::string&)> record,
                              std::map<std::string, std::string> failures = {})
        : m_record(std::move(record)), m_failures(std::move(failures))
    {
    }

    std::string name() const override { return "the recording line"; }
    std::string lockPath() const override { return {}; }
    std::string attach() override { return {}; }
    std::string open() override { return step("open"); }
    std::string key() override { return step("key"); }
    std::string unkey() override { return step("unkey"); }
    // Asked at every wait, so not on the timeline.
    std::string check() override { return m_failures["check"]; }

private:
    std::string step(const std::string& name)
    {
        m_record(name);
        const std::string& failure = m_failures[name];
        if (failure.starts_with("throw:"))
            throw std::system_error(EAGAIN, std::generic_category(), failure.substr(6));
        return failure;
    }

    std::function<void(const std::string&)> m_record;
    std::map<std::string, std::string> m_failures;
};

#pragma once

#include "Messages.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

// Messages for a program without a window: one line per message on a stream
// (standard error by default), "title: text", with line breaks turned into blanks. A numbered
// report of a device step ("3. waveOutWrite failed -  6") is followed by its reason in plain
// words when reasons are given: "... -  6 (the sound server went away during the play)".
class StderrMessages : public Messages
{
public:
    // The reason for a report's number and code.
    using Reasons = std::function<std::string(int step, std::int32_t code)>;

    StderrMessages();
    explicit StderrMessages(std::ostream& stream, Reasons reasons = {});

    void show(const std::string& text, const std::string& title, Icon icon) override;
    void showReport(const std::string& text, const std::string& title, int step,
                    std::int32_t code) override;

private:
    std::ostream& m_stream;
    Reasons m_reasons;
};

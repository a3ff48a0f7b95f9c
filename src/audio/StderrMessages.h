#pragma once

#include "Messages.h"

#include <iosfwd>

// Messages for a program without a window: one line per message on a stream
// (standard error by default), "title: text", with line breaks turned into blanks.
class StderrMessages : public Messages
{
public:
    StderrMessages();
    explicit StderrMessages(std::ostream& stream);

    void show(const std::string& text, const std::string& title, Icon icon) override;

private:
    std::ostream& m_stream;
};

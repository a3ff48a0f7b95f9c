#pragma once

#include <functional>
#include <string>

class PttLine;

// Keeps a transmitter keyed for no longer than it lives: whatever ends the scope (the end of
// the play, a failed step, an exception, a stop after a signal), the destructor releases the
// line. This is the one place that unkeys.
class Transmitter
{
public:
    // onReleaseFailure hears why the line could not be released, if it could not.
    Transmitter(PttLine& line, std::function<void(const std::string&)> onReleaseFailure);
    ~Transmitter();
    Transmitter(const Transmitter&) = delete;
    Transmitter& operator=(const Transmitter&) = delete;

    // Empty on success. A key that failed halfway is released all the same.
    std::string key();

private:
    PttLine& m_line;
    std::function<void(const std::string&)> m_onReleaseFailure;
    bool m_keyed = false;
};

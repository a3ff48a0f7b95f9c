#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The watchdog's own side, in the process that ProcessWatchdog starts: it holds its own handle
// on the line, then waits for the program's words on its socket. At the moment of the time-out
// it releases the line by itself; at the end of the stream without the word "released" (the
// program died) it releases it and ends.
class WatchdogProcess
{
public:
    // Its descriptors: the socket to the program, and the line's lock when there is one.
    static constexpr int kSocketFd = 3;
    static constexpr int kLockFd = 4;
    // The program's words, one a line: "until MS", the moment on the monotonic clock by which
    // the line must be released, and "released".
    static constexpr std::string_view kUntil = "until ";
    static constexpr std::string_view kReleased = "released";

    // The monotonic clock in ms, the same in every process of the machine.
    static std::int64_t monotonicMs();
    // Watches the line written as address; the exit status: 0 when the line was left released.
    static int run(const std::string& address);
};

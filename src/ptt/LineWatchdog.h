#pragma once

#include <string>

// Releases a keyed line when the program that keyed it dies without releasing it (kill -9,
// a crash, the out-of-memory killer), from outside that program.
class LineWatchdog
{
public:
    // Without released() first, the line is released by the watchdog, and this waits for
    // that, within a deadline.
    virtual ~LineWatchdog() = default;

    // Starts watching the line written as address (PttAddress::text). lockFd, -1 for none,
    // is held by the watchdog too, so that no other sender takes the line before the
    // watchdog has released it. Returns once the watchdog holds its own handle on the line;
    // empty on success, otherwise why.
    virtual std::string start(const std::string& address, int lockFd) = 0;
    // The program released the line itself: the watchdog leaves it alone and ends.
    virtual void released() = 0;
};

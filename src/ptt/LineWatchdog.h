#pragma once

#include <chrono>
#include <string>

class LineWait;

// Releases a keyed line from outside the program that keyed it: when that program dies without
// releasing it (kill -9, a crash, the out-of-memory killer), and when the time-out runs out
// while the program cannot act (stopped, hung).
class LineWatchdog
{
public:
    // Never waits: a watchdog told neither released() nor takeOver() releases the line by
    // itself and ends.
    virtual ~LineWatchdog() = default;

    // How start() and takeOver() wait: through this, which must outlive the watchdog, or
    // blocking when never set.
    virtual void waitThrough(LineWait*) {}

    // Starts watching the line written as address (PttAddress::text). lockFd, -1 for none,
    // is held by the watchdog too, so that no other sender takes the line before the
    // watchdog has released it. Returns once the watchdog holds its own handle on the line;
    // empty on success, otherwise why (also when the wait was stopped).
    virtual std::string start(const std::string& address, int lockFd) = 0;
    // Said before the key: the line must be released within limit from now (the time-out).
    // The watchdog does it itself then, whatever the program is doing.
    virtual void releaseWithin(std::chrono::milliseconds limit) = 0;
    // The program's end of its connection to the watchdog, which turns readable when the
    // watchdog ends; -1 when there is none to watch.
    virtual int descriptor() const = 0;
    // The watchdog has ended, or can no longer be reached.
    virtual bool ended() = 0;
    // The program released the line itself: the watchdog leaves it alone and ends, at once.
    virtual void released() = 0;
    // The program could not release the line: the watchdog does, and this waits for it as
    // long as the line's slowest release may take, unless the wait is stopped; a watchdog
    // still releasing then is left to finish, never killed.
    virtual void takeOver() = 0;
};

#pragma once

#include <memory>
#include <string>

class PttLine;

// One sender per line: an exclusive flock on the line's lock file (its device node, or a
// lock file named after the radio), held while this lives. The watchdog inherits the same
// open file, so a program that dies keyed keeps the line locked until its line is released.
class LineLock
{
public:
    enum class Attempt { Taken, Busy, Failed };

    // An empty path locks nothing: every attempt is Taken.
    explicit LineLock(std::string path);
    // Locks the descriptor, which the caller keeps open and closes.
    LineLock(std::string path, int borrowedFd);
    // The lock for the line: on the line's own descriptor when it has one (which opens the
    // line's device), otherwise on its lockPath().
    static std::unique_ptr<LineLock> forLine(PttLine& line);
    ~LineLock();
    LineLock(const LineLock&) = delete;
    LineLock& operator=(const LineLock&) = delete;

    // One attempt that never waits. A missing lock file is made, except under /dev, where a
    // missing node means a wrong device name that the line's open reports, and a file made
    // there would pass for the device. On Failed, why says so.
    Attempt tryLock(std::string& why);
    // The locked file's descriptor, -1 when none.
    int descriptor() const { return m_fd; }
    // The process that holds the lock, as "process 1234 (quorvel-render)", or empty when
    // it cannot be told.
    std::string holder() const;

private:
    std::string m_path;
    int m_fd = -1;
    bool m_owned = true;
};

#include "LineLock.h"

#include "PttLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

LineLock::LineLock(std::string path) : m_path(std::move(path))
{
}

LineLock::LineLock(std::string path, int borrowedFd)
    : m_path(std::move(path)), m_fd(borrowedFd), m_owned(false)
{
}

std::unique_ptr<LineLock> LineLock::forLine(PttLine& line)
{
    // A device that did not open locks nothing: the line's open() then says why, and the
    // device is not opened a second time for the lock.
    if (const std::optional<int> own = line.lockOnOwnDescriptor())
        return std::make_unique<LineLock>(*own >= 0 ? line.lockPath() : std::string(), *own);
    return std::make_unique<LineLock>(line.lockPath());
}

LineLock::~LineLock()
{
    if (m_fd >= 0 && m_owned)
        ::close(m_fd);
}

LineLock::Attempt LineLock::tryLock(std::string& why)
{
    if (m_path.empty())
        return Attempt::Taken;
    if (m_fd < 0) {
        // Read-only and non-blocking: the lock needs no access to the device, and a FIFO
        // with no writer must not hold the open.
        const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        m_fd = ::open(m_path.c_str(), flags);
        if (m_fd < 0 && errno == EACCES)
            m_fd = ::open(m_path.c_str(), (flags & ~O_RDONLY) | O_WRONLY);
        if (m_fd < 0 && errno == ENOENT && m_path.rfind("/dev/", 0) != 0)
            m_fd = ::open(m_path.c_str(), flags | O_CREAT, 0666);
        if (m_fd < 0 && errno == ENOENT)
            return Attempt::Taken; // nothing to lock; the line's open names the missing device
        if (m_fd < 0) {
            why = "cannot lock " + m_path + ": " + std::strerror(errno);
            return Attempt::Failed;
        }
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return Attempt::Taken;
    if (errno == EWOULDBLOCK || errno == EINTR)
        return Attempt::Busy;
    why = "cannot lock " + m_path + ": " + std::strerror(errno);
    return Attempt::Failed;
}

std::string LineLock::holder() const
{
    struct stat status {
    };
    if (m_fd < 0 || ::fstat(m_fd, &status) != 0)
        return {};
    // /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 00:05:123 0 EOF", the device in hex.
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, where;
        fields >> number >> kind;
        if (kind == "->") // a waiter, listed under the lock it waits for
            continue;
        fields >> mode >> access >> pid >> where;
        // The device's major and minor are written with at least two hex digits.
        unsigned major_ = 0, minor_ = 0;
        unsigned long inode = 0;
        if (kind != "FLOCK" ||
            std::sscanf(where.c_str(), "%x:%x:%lu", &major_, &minor_, &inode) != 3 ||
            major_ != major(status.st_dev) || minor_ != minor(status.st_dev) ||
            inode != status.st_ino)
            continue;
        std::ifstream comm("/proc/" + pid + "/comm");
        std::string command;
        std::getline(comm, command);
        return "process " + pid + (command.empty() ? "" : " (" + command + ")");
    }
    return {};
}

#include "FileBytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{

std::string lastReason()
{
    return errno != 0 ? std::string(std::strerror(errno)) : std::string("unknown error");
}

} // namespace

std::string notRegularReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return "Is a directory";
    if (S_ISFIFO(mode))
        return "Is a FIFO, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "Is a device, not a regular file";
    if (S_ISSOCK(mode))
        return "Is a socket, not a regular file";
    return "Is not a regular file";
}

namespace
{

// Closes the descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

FileBytes readFileBytes(const std::filesystem::path& path)
{
    FileBytes result;
    // Non-blocking, so that opening a FIFO returns at once; fstat then refuses it.
    errno = 0;
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {
    };
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        result.reason = lastReason();
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.reason = notRegularReason(status.st_mode);
        return result;
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > kLargestFileBytes) {
        result.reason = tooLargeReason(size);
        return result;
    }
    result.bytes.reserve(size);
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.reason = lastReason();
            result.bytes.clear();
            return result;
        }
        if (n == 0)
            break;
        result.bytes.append(chunk, static_cast<std::size_t>(n));
        // A file that grows while it is read is held to the same limit.
        if (result.bytes.size() > kLargestFileBytes) {
            result.reason = tooLargeReason(result.bytes.size());
            result.bytes.clear();
            return result;
        }
    }
    result.ok = true;
    return result;
}

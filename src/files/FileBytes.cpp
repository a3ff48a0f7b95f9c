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

std::string kindOf(mode_t mode)
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

std::string sizeText(std::uint64_t bytes)
{
    return std::to_string(bytes) + " bytes (" + std::to_string(bytes >> 20) + " MiB)";
}

std::string tooLarge(std::uint64_t bytes)
{
    return "The file is too large: " + sizeText(bytes) + ", more than the " +
           std::to_string(kLargestFileBytes >> 20) + " MiB a file may have";
}

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
    int release() { return std::exchange(m_fd, -1); }

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
        result.reason = kindOf(status.st_mode);
        return result;
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > kLargestFileBytes) {
        result.reason = tooLarge(size);
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
            result.reason = tooLarge(result.bytes.size());
            result.bytes.clear();
            return result;
        }
    }
    result.ok = true;
    return result;
}

namespace
{

std::string writeAll(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return lastReason();
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// The old way, for a folder where no new file can be made but the file itself can be written.
std::string writeInPlace(const std::filesystem::path& path, std::string_view bytes)
{
    errno = 0;
    Descriptor file(::open(path.c_str(),
                           O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666));
    if (file.get() < 0)
        return lastReason();
    if (std::string reason = writeAll(file.get(), bytes); !reason.empty())
        return reason;
    errno = 0;
    if (::close(file.release()) != 0)
        return lastReason();
    return {};
}

} // namespace

std::string writeFileBytes(const std::filesystem::path& given, std::string_view bytes)
{
    // A link is followed, so that the file it names gets the new content.
    std::error_code ec;
    std::filesystem::path path = std::filesystem::is_symlink(given, ec)
                                     ? std::filesystem::weakly_canonical(given, ec)
                                     : given;
    if (ec)
        path = given;
    struct stat status {
    };
    const bool exists = ::stat(path.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode))
        return kindOf(status.st_mode);
    // A file that we may not write stays as it is, even where the folder would let a new one
    // take its place.
    if (exists) {
        errno = 0;
        Descriptor probe(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        if (probe.get() < 0)
            return lastReason();
    }
    // The new content goes to a file beside it, which replaces the old one only when it is
    // complete: a full disk must not leave a cut record where the last good one was.
    std::string temporary =
        (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0)
        return writeInPlace(path, bytes);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file.get(), exists ? status.st_mode & 07777 : 0666 & ~mask);
    std::string reason = writeAll(file.get(), bytes);
    errno = 0;
    if (reason.empty() && ::fsync(file.get()) != 0)
        reason = lastReason();
    errno = 0;
    if (::close(file.release()) != 0 && reason.empty())
        reason = lastReason();
    errno = 0;
    if (reason.empty() && ::rename(temporary.c_str(), path.c_str()) != 0)
        reason = lastReason();
    if (!reason.empty())
        ::unlink(temporary.c_str());
    return reason;
}

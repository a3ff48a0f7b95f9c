#include "FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace
{

std::string lastReason()
{
    return errno != 0 ? std::string(std::strerror(errno)) : std::string("unknown error");
}

} // namespace

FileBytes readFileBytes(const std::filesystem::path& path)
{
    FileBytes result;
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        result.reason = lastReason();
        return result;
    }
    char chunk[4096];
    for (;;) {
        errno = 0;
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
        result.bytes.append(chunk, n);
        if (n < sizeof chunk)
            break;
    }
    // A directory opens but does not read; the error shows only here.
    if (std::ferror(file)) {
        result.reason = lastReason();
        std::fclose(file);
        result.bytes.clear();
        return result;
    }
    std::fclose(file);
    result.ok = true;
    return result;
}

std::string writeFileBytes(const std::filesystem::path& path, std::string_view bytes)
{
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return lastReason();
    errno = 0;
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    std::string reason = written ? std::string() : lastReason();
    errno = 0;
    if (std::fclose(file) != 0 && reason.empty())
        reason = lastReason();
    return reason;
}

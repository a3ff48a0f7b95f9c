#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

// Whole-file access for the two small text files. A failure carries the system's reason
// ("No such file or directory", "Is a directory", ...) for the user's message.
struct FileBytes {
    bool ok = false;
    std::string bytes;
    std::string reason;
};

// Far more than any tone-set or settings file a person writes; a larger file is refused
// rather than read into memory.
inline constexpr std::uint64_t kLargestFileBytes = 64ull << 20;

// Reads a regular file of at most kLargestFileBytes. Anything else is refused with a reason
// that says what it is: a FIFO would block the read until some writer came, and a device
// such as /dev/zero never ends.
FileBytes readFileBytes(const std::filesystem::path& path);

// Replaces the file's content, creating it if needed, through a SafeFileWriter: a failure (a
// full disk, say) leaves the old content whole, and a symbolic link stays a link to the file
// that gets the content. Returns the reason of a failure, or an empty text on success. A path
// that names something other than a regular file is refused, for the same reasons as in
// reading.
std::string writeFileBytes(const std::filesystem::path& path, std::string_view bytes);

// What the path is instead of a regular file ("Is a directory"), for a refusal. POSIX only:
// the Windows files say it from the file's attributes and type.
std::string notRegularReason(mode_t mode);

// The refusal of a file larger than kLargestFileBytes, the same on every platform.
std::string tooLargeReason(std::uint64_t bytes);

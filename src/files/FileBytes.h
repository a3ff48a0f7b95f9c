#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Whole-file access for the two small text files. A failure carries the system's reason
// ("No such file or directory", "Is a directory", ...) for the user's message.
struct FileBytes {
    bool ok = false;
    std::string bytes;
    std::string reason;
};

FileBytes readFileBytes(const std::filesystem::path& path);

// Replaces the file's content, creating it if needed. Returns the reason of a failure, or
// an empty text on success. A failed close counts as a failure: the data may not be there.
std::string writeFileBytes(const std::filesystem::path& path, std::string_view bytes);

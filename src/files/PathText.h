#pragma once

#include <filesystem>
#include <string>

// Paths to and from the program's texts, which are UTF-8 on every platform. path.string()
// would give Windows' code page, and std::filesystem::path(text) would read one.
inline std::string pathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

inline std::filesystem::path pathFromText(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

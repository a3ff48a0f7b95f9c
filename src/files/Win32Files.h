#pragma once

#include <filesystem>
#include <string>

// What the Windows file code shares: paths for the wide-character calls, and the system's
// failures worded as on Linux, so that a message reads the same on both.

// The path as the wide-character calls take it: absolute, with backslashes, and with the
// "\\?\" prefix that lifts the 260-character limit.
std::wstring widePath(const std::filesystem::path& path);

// A path as UTF-8 and back, whatever the code page: the program's texts are UTF-8.
std::string utf8Of(const std::filesystem::path& path);
std::filesystem::path pathOfUtf8(const std::string& text);

// A Windows error code (GetLastError) as the text Linux gives for its errno: "Permission
// denied", "No such file or directory"... The system's own text for the rest.
std::string win32Reason(unsigned long error);

#include "FileBytes.h"
#include "Win32Files.h"

#include <windows.h>

namespace
{

// Closes the handle on every way out.
class Handle
{
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// What a handle is instead of a file on a disk, worded as on Linux.
std::string notDiskReason(DWORD type)
{
    return type == FILE_TYPE_PIPE ? "Is a FIFO, not a regular file"
                                  : "Is a device, not a regular file";
}

} // namespace

FileBytes readFileBytes(const std::filesystem::path& path)
{
    FileBytes result;
    const std::wstring name = widePath(path);
    // A folder would open only with backup semantics, and then fail as "access denied".
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        result.reason = "Is a directory";
        return result;
    }
    // Others may go on writing or renaming it; the read takes what is there.
    Handle file(CreateFileW(name.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        result.reason = win32Reason(GetLastError());
        return result;
    }
    // A pipe or a console would block the read or never end.
    if (const DWORD type = GetFileType(file.get()); type != FILE_TYPE_DISK) {
        result.reason = notDiskReason(type);
        return result;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        result.reason = win32Reason(GetLastError());
        return result;
    }
    const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    if (bytes > kLargestFileBytes) {
        result.reason = tooLargeReason(bytes);
        return result;
    }
    result.bytes.reserve(bytes);
    char chunk[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &n, nullptr)) {
            result.reason = win32Reason(GetLastError());
            result.bytes.clear();
            return result;
        }
        if (n == 0)
            break;
        result.bytes.append(chunk, n);
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

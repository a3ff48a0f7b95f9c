#include "SafeFileWriter.h"
#include "Win32Files.h"

#include <fcntl.h>
#include <io.h>
#include <random>
#include <utility>
#include <windows.h>

// Windows' side of the safe write: the new file is made beside the target, written through
// a C runtime descriptor over its handle (so that callers write as on POSIX), flushed with
// FlushFileBuffers, then put in the target's place by ReplaceFileW, which keeps the target's
// attributes and security, or by MoveFileExW for a new target. A read-only target is refused
// as a file without write permission is on Linux; Windows has no symbolic links to keep here.

namespace
{

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// ".NAME.xxxxxx" in the target's folder, on the same volume for the rename.
std::filesystem::path besideName(const std::filesystem::path& target)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::wstring suffix(6, L'x');
    for (wchar_t& c : suffix)
        c = static_cast<wchar_t>(kLetters[random() % (sizeof kLetters - 1)]);
    const auto folder = target.has_parent_path() ? target.parent_path() : ".";
    return folder / (L"." + target.filename().wstring() + L"." + suffix);
}

// The handle as a descriptor of the C runtime, which then owns it; -1 after closing it.
int descriptorOf(HANDLE handle)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        CloseHandle(handle);
    return fd;
}

} // namespace

SafeFileWriter::SafeFileWriter(std::filesystem::path path, Special special)
    : m_target(std::move(path)), m_special(special)
{
}

SafeFileWriter::~SafeFileWriter()
{
    discard();
}

std::string SafeFileWriter::open()
{
    discard();
    const std::wstring target = widePath(m_target);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return "Is a directory";
    // The attribute is the user's "do not change"; the open below would refuse it too, but
    // not where the process may pass over it (an administrator, Wine run by root).
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return win32Reason(ERROR_ACCESS_DENIED);
    if (exists) {
        // A file that may not be written (read-only, or denied) stays as it is; a device or a
        // pipe has nothing to rename over it.
        const HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            return win32Reason(GetLastError());
        const DWORD type = GetFileType(probe);
        CloseHandle(probe);
        if (type != FILE_TYPE_DISK) {
            if (m_special == Special::Refuse)
                return type == FILE_TYPE_PIPE ? "Is a FIFO, not a regular file"
                                              : "Is a device, not a regular file";
            return openInPlace(false);
        }
    }
    const int error = createBeside(nullptr);
    if (exists && error == ERROR_ACCESS_DENIED)
        return openInPlace(true);
    return error == 0 ? std::string() : win32Reason(static_cast<DWORD>(error));
}

int SafeFileWriter::createBeside(const struct stat*)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path name = besideName(m_target);
        // Shared for deletion: a Ctrl+C that ends the process removes it from another thread.
        const HANDLE file =
            CreateFileW(widePath(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_fd = descriptorOf(file);
            if (m_fd < 0)
                return ERROR_TOO_MANY_OPEN_FILES;
            m_pending = utf8Of(name);
            return 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return static_cast<int>(error);
    }
    return ERROR_FILE_EXISTS;
}

std::string SafeFileWriter::openInPlace(bool regular)
{
    // Not truncated here: a caller that fails before writing leaves the file whole.
    const HANDLE file = CreateFileW(widePath(m_target).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return win32Reason(GetLastError());
    m_fd = descriptorOf(file);
    if (m_fd < 0)
        return win32Reason(ERROR_TOO_MANY_OPEN_FILES);
    m_truncateAtCommit = regular;
    return {};
}

std::string SafeFileWriter::commit()
{
    if (m_fd < 0)
        return "the file is not open";
    const HANDLE file = handleOf(m_fd);
    DWORD error = 0;
    if (m_truncateAtCommit && !SetEndOfFile(file))
        error = GetLastError();
    // On the disk before it takes the target's name, so that a crash cannot leave a short
    // file under that name. A device has nothing to flush.
    if (error == 0 && (!m_pending.empty() || m_truncateAtCommit) && !FlushFileBuffers(file))
        error = GetLastError();
    _close(std::exchange(m_fd, -1));
    if (error == 0 && !m_pending.empty()) {
        const std::wstring target = widePath(m_target);
        const std::wstring pending = widePath(pathOfUtf8(m_pending));
        const bool exists = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
        const bool replaced =
            exists && ReplaceFileW(target.c_str(), pending.c_str(), nullptr,
                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
        if (!replaced && !MoveFileExW(pending.c_str(), target.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = GetLastError();
    }
    if (error != 0) {
        discard();
        return win32Reason(error);
    }
    m_truncateAtCommit = false;
    m_pending.clear();
    return {};
}

std::string SafeFileWriter::syncFolder() const
{
    // MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
    return {};
}

void SafeFileWriter::discard()
{
    if (m_fd >= 0)
        _close(std::exchange(m_fd, -1));
    if (!m_pending.empty())
        DeleteFileW(widePath(pathOfUtf8(m_pending)).c_str());
    m_pending.clear();
    m_truncateAtCommit = false;
}

std::string writeAllBytes(int fd, std::string_view bytes)
{
    const HANDLE file = handleOf(fd);
    if (file == INVALID_HANDLE_VALUE)
        return win32Reason(ERROR_INVALID_HANDLE);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &n, nullptr))
            return win32Reason(GetLastError());
        if (n == 0)
            return win32Reason(ERROR_DISK_FULL);
        done += n;
    }
    return {};
}

#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

// Replaces a file's content so that a failure (a full disk, a signal, a crash) leaves the old
// content whole: open() creates a new file beside the target, the caller writes it through
// descriptor(), and commit() syncs it, renames it over the target and syncs the folder. A
// writer never committed removes its new file.
//
// - A symbolic link stays a link: the file it names gets the content, beside which the new
//   file is made.
// - A new target gets 0666 less the umask, as the kernel applies it to open(); a replaced
//   target keeps its permissions (and its owner, where the process may give it).
// - A regular file that the process may not write is refused, even where its folder would
//   allow the rename.
// - Only where no new file may be made in the folder (EACCES, EPERM) is the target written in
//   place: that keeps a writable file in a read-only folder usable, at the cost of a cut file
//   if the write fails. A full disk or quota (ENOSPC, EDQUOT) is never such a case: writing in
//   place there would truncate the last good content and then fail too.
// - A target that exists and is no regular file (a device, a FIFO) is refused, or written in
//   place where the caller asks for that, as there is nothing to rename over it.
//
// Every failure is returned as the system's reason ("No space left on device"), empty on
// success.
class SafeFileWriter
{
public:
    enum class Special { Refuse, WriteInPlace };

    explicit SafeFileWriter(std::filesystem::path path, Special special = Special::Refuse);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    std::string open();
    std::string commit();
    // Closes the descriptor and removes the new file; the target stays as it was.
    void discard();

    int descriptor() const { return m_fd; }
    // The new file while it exists, empty when the target is written in place.
    const std::string& pendingPath() const { return m_pending; }

private:
    std::string openInPlace(bool regular);
    int createBeside(const struct stat* existing); // 0 or the errno value
    std::string syncFolder() const;

    std::filesystem::path m_target;
    Special m_special;
    std::string m_pending;
    bool m_truncateAtCommit = false; // in place over a regular file: cut off the old tail
    int m_fd = -1;
};

// Writes all the bytes to the descriptor, going on after EINTR and short writes. Returns the
// reason of a failure, empty on success.
std::string writeAllBytes(int fd, std::string_view bytes);

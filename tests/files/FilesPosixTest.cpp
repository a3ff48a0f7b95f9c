// What only POSIX systems have: FIFOs, devices, permission bits, limits on a file's size,
// mount namespaces and symbolic links.
#include "FakeWindow.h"
#include "FileBytes.h"
#include "SettingsFile.h"
#include "TempDir.h"
#include "ToneSetFile.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

// Saves the window over a file holding `good`, in a child process that `confine` has first
// given a full disk of some kind. Gives 0 when the save failed with `reason` and left `good`
// whole, 77 when the confinement cannot be made here.
static int fullDiskSave(const FakeWindow& window, const std::filesystem::path& file,
                        const std::string& good, const std::function<bool()>& confine,
                        const std::string& reason)
{
    const pid_t child = fork();
    if (child == 0) {
        if (!confine())
            _exit(77);
        std::ofstream(file, std::ios::binary) << good;
        const auto saved = SaveSettings(window, file);
        const bool whole = readFileBytes(file).bytes == good;
        _exit(!saved.ok() && saved.message.find(reason) != std::string::npos && whole ? 0 : 1);
    }
    int status = -1;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SettingsFile, KeepsReadOnlyFilesFifosLinksAndTheLastRecordOnAFullDisk)
{
    TempDir dir;
    FakeWindow window(1);
    // The message says what the window goes on with. A FIFO is neither read nor written (either
    // would block until another program opened it), and a read-only file keeps its record.
    const auto fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string kept = "the saved settings, but with the first tone set of the file "
                             "selected instead of the saved tone-set index 9";
    const std::pair<std::string, std::string> readOnly[] = {
        {"", "Is a FIFO, not a regular file.\nQuorvel goes on with the default settings."},
        {"5,6,9,\"a\",\"b\",\"c\",\"d\",1\r\n", "Permission denied.\nQuorvel goes on with " + kept},
        {"5,6,9,\"a\",\"b\",\"c\",\"d\",7\r\n",
         "Permission denied.\nQuorvel goes on with " + kept +
             " and with the repeat-tone check box left as it was instead of the saved value 7"},
    };
    for (const auto& [record, ending] : readOnly) {
        const auto file = record.empty() ? fifo : dir.write("read-only.ini", record);
        std::filesystem::permissions(file, std::filesystem::perms(0444));
        const int previousFsuid = setfsuid(65534); // root passes over permission bits
        const std::string message = LoadSettings(window, file).message;
        setfsuid(previousFsuid);
        EXPECT_EQ(message, "The settings file " + file.string() + " cannot be written: " + ending +
                               (record.empty() ? "" : "."));
        EXPECT_TRUE(record.empty() || dir.read(file.filename()) == record);
    }

    // A save that fails on a full disk leaves the last good record whole, with no leftover
    // beside it: where the write fails partway (here a limit on the size of a file), and where
    // even the new file cannot be made (a tmpfs without a free inode), which must not fall back
    // to writing in place.
    const std::string good = "5,6,3,\"a\",\"b\",\"c\",\"d\",1\r\n";
    window.texts[0] = std::string(5000, '1'); // more than the page the full tmpfs holds
    const auto limited = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    };
    EXPECT_EQ(fullDiskSave(window, dir.file("full.ini"), good, limited, "File too large"), 0);
    std::filesystem::create_directory(dir.file("tmpfs"));
    const auto noInode = [at = dir.file("tmpfs")] {
        return unshare(CLONE_NEWNS) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount("tmpfs", at.c_str(), "tmpfs", 0, "size=4k,nr_inodes=2") == 0;
    };
    const int noInodeStatus = fullDiskSave(window, dir.file("tmpfs") / "Quorvel.ini", good, noInode,
                                           "No space left on device");
    EXPECT_TRUE(noInodeStatus == 0 || noInodeStatus == 77); // 77: no mount namespace here
    EXPECT_EQ(dir.read("full.ini"), good);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")), {}), 4);

    // A symbolic link stays a link, and the file it names gets the record.
    std::filesystem::create_symlink("full.ini", dir.file("link.ini"));
    window.texts[0] = "1";
    EXPECT_TRUE(SaveSettings(window, dir.file("link.ini")).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_NE(dir.read("full.ini").find(",\"1\","), std::string::npos);
}

TEST(ToneSetFile, RefusesFifosAndDevices)
{
    // A FIFO would block start-up for ever, and a device such as /dev/zero never ends.
    TempDir dir;
    FakeWindow window;
    ToneTable tones{};
    const auto fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::filesystem::path, std::string> unread[] = {
        {fifo, "Is a FIFO, not a regular file"}, {"/dev/zero", "Is a device, not a regular file"}};
    for (const auto& [path, reason] : unread)
        EXPECT_EQ(LoadToneSets(tones, window, path).message(),
                  "Cannot read " + path.string() + ": " + reason + ". Forced DTMF only.");
}

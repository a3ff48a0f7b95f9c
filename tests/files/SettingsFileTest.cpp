#include "SettingsFile.h"

#include "FakeWindow.h"
#include "FileBytes.h"
#include "TempDir.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sched.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

const std::string kDefault = "0,0,2,\"0123456789ABCDEF\",\"70\",\"0\",\"300\",0\r\n"; // 43 bytes

// Loads the record into a window with two file sets, checks that the load left the file as
// it was or, after a recovery, the default record, without a message, and saves the window.
// Gives the steps that ran the recovery and the saved record.
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

static std::pair<std::vector<int>, std::string> loadThenSave(const std::string& record)
{
    TempDir dir;
    FakeWindow window(2);
    const auto result = LoadSettings(window, dir.write("Quorvel.ini", record));
    EXPECT_EQ(dir.read("Quorvel.ini"), result.failedSteps.empty() ? record : kDefault) << record;
    EXPECT_TRUE(!result.hasMessage() && SaveSettings(window, dir.file("Quorvel.ini")).ok());
    return {result.failedSteps, dir.read("Quorvel.ini")};
}

TEST(SettingsFile, LoadsInOrderSavesAndRecoversEveryFailingStep)
{
    // The first run writes the default record and applies it in order: position, index
    // (whose change handling runs inside the setter), texts, check box.
    TempDir dir;
    FakeWindow window(1);
    EXPECT_EQ(LoadSettings(window, dir.file("Quorvel.ini")).failedSteps, std::vector<int>{1});
    EXPECT_EQ(dir.read("Quorvel.ini"), kDefault);
    EXPECT_EQ(window.log, "left 0 top 0 index 2 1=0123456789ABCDEF 2=70 3=0 4=300 chkE 0 ");
    // Where even the recovery cannot write, the user hears of it once, in a message that
    // names the file right after "The settings file ".
    const auto path = dir.file("none") / "Quorvel.ini";
    EXPECT_EQ(LoadSettings(window, path).message.find(path.string() + " cannot be written"), 18u);
    EXPECT_FALSE(SaveSettings(window, path).ok());
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")), {}), 5);

    // A symbolic link stays a link, and the file it names gets the record.
    std::filesystem::create_symlink("full.ini", dir.file("link.ini"));
    window.texts[0] = "1";
    EXPECT_TRUE(SaveSettings(window, dir.file("link.ini")).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_NE(dir.read("full.ini").find(",\"1\","), std::string::npos);

    // A record, the steps that fail while loading it, and the record saved after (if other).
    const std::tuple<std::string, std::vector<int>, std::string> cases[] = {
        {"-16777215,57600,1,\"a,b\",\"say \"\"hi\"\"\",\"\",\"\"\"\",1\r\n", {}, ""},
        {"16777215,-4,-1,\"\",\"\",\"\",\"\",0\r\n", {}, "16777215,-4,2,\"\",\"\",\"\",\"\",0\r\n"},
        {"16777216,0,3,\"a\",\"b\",\"c\",\"d\",0\r\n", {2}, kDefault},
        {"10,20,3,\"a\",\"b\"\r\n", {2}, kDefault},
        {"5,6,4,\"a\",\"b\",\"c\",\"d\",1\r\n", {6}, "5,6,2,\"a\",\"b\",\"c\",\"d\",1\r\n"},
        {"5,6,3,\"a\",\"b\",\"c\",\"d\",3\r\n", {11}, "5,6,3,\"a\",\"b\",\"c\",\"d\",0\r\n"},
        // A byte-order mark is skipped, and not written back.
        {"\xEF\xBB\xBF-7,8,3,\"a\",\"b\",\"c\",\"d\",1\r\n",
         {},
         "-7,8,3,\"a\",\"b\",\"c\",\"d\",1\r\n"},
    };
    std::mt19937 random(7);
    for (const auto& [record, steps, saved] : cases) {
        EXPECT_EQ(loadThenSave(record), std::make_pair(steps, saved.empty() ? record : saved));
        // Mutated, with a fixed seed: what the window saves loads back without a failure.
        for (int i = 0; i < 50; ++i) {
            std::string mutated = record;
            const auto at = random() % (mutated.size() + 1), cut = random() % 3;
            const auto count = random() % 3, pick = random() % 7; // in this order, on any compiler
            mutated.replace(at, cut, count, "\",\r\n-9 "[pick]);
            const std::string again = loadThenSave(mutated).second;
            EXPECT_EQ(loadThenSave(again), std::make_pair(std::vector<int>{}, again));
        }
    }
}

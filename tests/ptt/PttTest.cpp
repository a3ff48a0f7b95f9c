#include "Cm108Finder.h"
#include "Cm108Ptt.h"
#include "HamlibPtt.h"
#include "HamlibThread.h"
#include "LineLock.h"
#include "LineWait.h"
#include "PrivateRigctld.h"
#include "ProcessWatchdog.h"
#include "PttAddress.h"
#include "RigctldIdentity.h"

#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gmock/gmock.h>
#include <mutex>
#include <pty.h>
#include <sstream>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

using testing::HasSubstr;

TEST(PttAddress, ReadsBothKindsAndRefusesEverythingElse)
{
    // kind path pin invert gpio other; a path may hold colons.
    const std::pair<const char*, const char*> valid[] = {
        {"serial:/dev/ttyUSB0:rts", "0 /dev/ttyUSB0 0 0 3 0"},
        {"serial:/dev/ttyS1:dtr:invert", "0 /dev/ttyS1 1 1 3 0"},
        {"serial:/dev/serial/by-id/a:b:rts", "0 /dev/serial/by-id/a:b 0 0 3 0"},
        {"serial:/dev/ttyS1:rts,dtr", "0 /dev/ttyS1 0 0 3 1"},
        {"serial:/dev/ttyS1:rts,-dtr:invert", "0 /dev/ttyS1 0 1 3 2"},
        {"serial:/dev/ttyS1:dtr,rts", "0 /dev/ttyS1 1 0 3 1"},
        {"serial:/dev/ttyS1:dtr,-rts", "0 /dev/ttyS1 1 0 3 2"},
        {"cm108:/dev/hidraw0", "1 /dev/hidraw0 0 0 3 0"},
        {"cm108:/dev/hidraw2:8", "1 /dev/hidraw2 0 0 8 0"},
        {"cm108:/dev/hidraw2:1:invert", "1 /dev/hidraw2 0 1 1 0"},
        {"cm108:auto:invert", "1 auto 0 1 3 0"},
    };
    for (const auto& [text, fields] : valid) {
        const PttAddress address = std::get<PttAddress>(parsePttAddress(text));
        std::ostringstream read;
        read << int(address.kind) << ' ' << address.path << ' ' << int(address.pin) << ' '
             << address.invert << ' ' << address.gpio << ' ' << int(address.other);
        EXPECT_EQ(read.str(), fields) << text;
    }
    for (const char* text :
         {"", "serial", "serial:/dev/ttyS0", "serial:/dev/ttyS0:cts", "serial::rts",
          "serial:/dev/ttyS0:invert", "cm108:", "hamlib:1", "SERIAL:/d:rts",
          "serial:/dev/ttyS0:rts,rts", "serial:/dev/ttyS0:rts,", "serial:/dev/ttyS0:dtr,-dtr",
          "serial:/dev/ttyS0:rts,dtr,-dtr", "serial:/dev/ttyS0:rts,cts", "serial:/d:-rts"})
        EXPECT_THAT(std::get<std::string>(parsePttAddress(text)),
                    HasSubstr("expected serial:DEVICE:rts"))
            << text;
    // A CM108 suffix that is no GPIO is named, never taken into the file name.
    for (const auto& [text, part] : {std::pair{"cm108:hid.bin:abc", "'abc'"},
                                     {"cm108:/dev/x:0", "'0'"},
                                     {"cm108:/dev/x:9", "'9'"},
                                     {"cm108:/dev/x:03", "'03'"},
                                     {"cm108:/dev/x:invert:3", "'3'"},
                                     {"cm108:/dev/x:3:4", "'4'"}})
        EXPECT_THAT(std::get<std::string>(parsePttAddress(text)),
                    HasSubstr(std::string(part) + " is no GPIO (1 to 8) nor 'invert'"))
            << text;
}

TEST(Cm108Finder, FindsTheOneCMediaDeviceAndListsWhatItFound)
{
    char root[] = "/tmp/quorvel-sysfs-XXXXXX";
    ASSERT_NE(::mkdtemp(root), nullptr);
    const auto add = [&](const std::string& node, const std::string& id) {
        const auto folder = std::filesystem::path(root) / "class/hidraw" / node / "device";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "uevent")
            << "DRIVER=hid-generic\nHID_ID=" << id << "\nHID_NAME=Device " << node << "\n";
    };
    const auto resolve = [&](const char* text) {
        PttAddress address = std::get<PttAddress>(parsePttAddress(text));
        const std::string why = Cm108Finder(root).resolve(address);
        return why.empty() ? address.text : why;
    };
    EXPECT_THAT(resolve("cm108:auto"), HasSubstr("no HID device at all"));
    add("hidraw0", "0003:0000046D:0000C52B"); // a Logitech receiver
    EXPECT_THAT(resolve("cm108:auto"),
                HasSubstr("found no C-Media (USB vendor 0d8c) HID device in " + std::string(root) +
                          "/class/hidraw; the HID devices are:\n  /dev/hidraw0 (USB vendor 046d, "
                          "Device hidraw0)"));
    add("hidraw3", "0003:00000D8C:0000013C");
    EXPECT_EQ(resolve("cm108:auto:invert"), "cm108:/dev/hidraw3:3:invert");
    EXPECT_EQ(resolve("cm108:/dev/hidraw0"), "cm108:/dev/hidraw0"); // named: not searched
    add("hidraw1", "0003:00000d8c:00000012");
    EXPECT_THAT(resolve("cm108:auto:2"),
                HasSubstr("several C-Media (USB vendor 0d8c) HID devices"));
    EXPECT_THAT(resolve("cm108:auto:2"), HasSubstr("\n  /dev/hidraw1 (USB vendor 0d8c, Device "
                                                   "hidraw1)\n  /dev/hidraw3"));
    std::filesystem::remove_all(root);
}

TEST(LineLock, OneHolderAtATimeNamedByItsProcess)
{
    char path[] = "/tmp/quorvel-lock-XXXXXX";
    ::close(::mkstemp(path));
    std::string why;
    LineLock first(path), second(path);
    EXPECT_EQ(first.tryLock(why), LineLock::Attempt::Taken);
    EXPECT_EQ(second.tryLock(why), LineLock::Attempt::Busy);
    EXPECT_EQ(second.holder(), "process " + std::to_string(::getpid()) + " (ptt_test)");
    // A missing lock file is made, except for a device node.
    const std::string made = std::string(path) + ".lock";
    EXPECT_EQ(LineLock(made).tryLock(why), LineLock::Attempt::Taken);
    EXPECT_TRUE(std::filesystem::exists(made));
    EXPECT_EQ(LineLock("/dev/quorvel-no-such-node").tryLock(why), LineLock::Attempt::Taken);
    EXPECT_FALSE(std::filesystem::exists("/dev/quorvel-no-such-node"));
    // One file however it is named: a symlink locks its target.
    const std::string link = std::string(path) + ".link";
    std::filesystem::create_symlink(path, link);
    EXPECT_EQ(LineLock(link).tryLock(why), LineLock::Attempt::Busy);
    ::unlink(link.c_str());
    ::unlink(path);
    ::unlink(made.c_str());
}

TEST(LineLock, ASerialLineIsLockedOnTheDescriptorItOpenedItself)
{
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    SerialPtt line(name, SerialPtt::Pin::Rts, false, SerialPtt::Other::HeldLow);
    const auto lock = LineLock::forLine(line);
    std::string why;
    EXPECT_EQ(lock->tryLock(why), LineLock::Attempt::Taken);
    EXPECT_EQ(lock->descriptor(), line.lockOnOwnDescriptor());
    // Any other open of the port, through a link or by another line, finds it locked.
    SerialPtt other(name, SerialPtt::Pin::Dtr, false);
    EXPECT_EQ(LineLock::forLine(other)->tryLock(why), LineLock::Attempt::Busy);
    EXPECT_EQ(LineLock(name).tryLock(why), LineLock::Attempt::Busy);
    EXPECT_EQ(line.name(), std::string("RTS of ") + name);
    EXPECT_EQ(SerialPtt(name, SerialPtt::Pin::Dtr, false, SerialPtt::Other::Keys).name(),
              std::string("DTR and RTS of ") + name);
    ::close(master);
    ::close(slave);
    // A port that does not open locks nothing and is not opened again: open() says why.
    SerialPtt missing("/nonexistent/ttyUSB7", SerialPtt::Pin::Rts, false);
    const auto none = LineLock::forLine(missing);
    EXPECT_EQ(none->tryLock(why), LineLock::Attempt::Taken);
    EXPECT_EQ(none->descriptor(), -1);
    EXPECT_THAT(missing.open(), HasSubstr("cannot open PTT port /nonexistent/ttyUSB7: No such"));
}

TEST(Cm108Ptt, WritesDataBeforeMaskToTheDevice)
{
    char path[] = "/tmp/quorvel-hidraw-XXXXXX"; // a plain file stands in for /dev/hidrawN
    ::close(::mkstemp(path));
    for (const int gpio : {3, 1, 8, -2}) { // -2: GPIO 2 inverted, high while released
        std::ofstream(path, std::ios::trunc).close();
        {
            const std::string suffix = gpio == 3  ? ""
                                       : gpio > 0 ? ":" + std::to_string(gpio)
                                                  : ":2:invert";
            const auto line = makePttLine(
                std::get<PttAddress>(parsePttAddress("cm108:" + std::string(path) + suffix)));
            EXPECT_EQ(line->open(), "");
            EXPECT_EQ(line->key(), "");
            EXPECT_EQ(line->unkey(), "");
        }
        std::ifstream file(path, std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(file), {});
        const char pin = static_cast<char>(1 << (std::abs(gpio) - 1));
        const char off = gpio > 0 ? 0 : pin, on = gpio > 0 ? pin : 0;
        // Released on open, keyed, released: report 0, 0, data, direction mask, 0.
        EXPECT_EQ(bytes, std::string({0, 0, off, pin, 0, 0, 0, on, pin, 0, 0, 0, off, pin, 0}))
            << gpio;
    }
    ::unlink(path);
    Cm108Ptt missing("/nonexistent/hidraw9", 3);
    EXPECT_THAT(missing.open(), HasSubstr("/nonexistent/hidraw9"));
    EXPECT_THAT(missing.key(),
                HasSubstr("cannot key the transmitter: GPIO 3 of /nonexistent/hidraw9"));
}

TEST(SerialPtt, APseudoTerminalHasNoModemLinesAndFailsNamingIt)
{
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    for (const char* pin : {":rts", ":dtr:invert"}) {
        const auto line =
            makePttLine(std::get<PttAddress>(parsePttAddress(std::string("serial:") + name + pin)));
        // The precautionary release says what failed, not that a transmitter stayed keyed.
        const std::string error = line->open();
        EXPECT_THAT(error, HasSubstr(std::string("cannot drive ") +
                                     (pin[1] == 'r' ? "RTS" : "DTR") + " of " + name + " ("))
            << pin;
        EXPECT_THAT(error, HasSubstr("serial port with modem lines")) << pin;
        // The kernel drops the lines at the last close, which releases a line that keys high
        // and would key an inverted one.
        termios settings{};
        ASSERT_EQ(::tcgetattr(slave, &settings), 0);
        EXPECT_EQ((settings.c_cflag & HUPCL) != 0, pin[1] == 'r') << pin;
    }
    ::close(master);
    ::close(slave);
    SerialPtt missing("/nonexistent/ttyUSB7", SerialPtt::Pin::Rts, false);
    EXPECT_THAT(missing.open(), HasSubstr("cannot open PTT port /nonexistent/ttyUSB7: No such"));
}

TEST(PttAddress, ReadsTheHamlibFormsAndRefusesBrokenOnes)
{
    // kind host-or-device port model baud; a CAT device may hold colons.
    const std::pair<const char*, const char*> valid[] = {
        {"rigctld", "2 localhost 4532 0 0"},
        {"rigctld:shack.local", "2 shack.local 4532 0 0"},
        {"rigctld:10.0.0.2:4533", "2 10.0.0.2 4533 0 0"},
        {"rigctld:[::1]:4600", "2 ::1 4600 0 0"},
        {"rig:3073:/dev/ttyUSB0", "3 /dev/ttyUSB0 4532 3073 0"},
        {"rig:1035:/dev/serial/by-path/pci-0:1.0-port0:38400",
         "3 /dev/serial/by-path/pci-0:1.0-port0 4532 1035 38400"},
    };
    for (const auto& [text, fields] : valid) {
        const PttAddress address = std::get<PttAddress>(parsePttAddress(text));
        std::ostringstream read;
        read << int(address.kind) << ' ' << address.path << ' ' << address.port << ' '
             << address.model << ' ' << address.baud;
        EXPECT_EQ(read.str(), fields) << text;
    }
    for (const char* text :
         {"rigctld:", "rigctld::4532", "rigctld:host:0", "rigctld:host:65536", "rigctld:host:x",
          "rigctld:::1", "rigctld:[::1", "rigctldx", "rig:", "rig:x:/dev/ttyUSB0", "rig:3073",
          "rig:0:/dev/ttyUSB0", "rig:3073:/dev/ttyUSB0:0", "rig:3073::9600"})
        EXPECT_THAT(std::get<std::string>(parsePttAddress(text)),
                    HasSubstr("rigctld[:HOST[:PORT]] or rig:MODEL:DEVICE[:BAUD]"))
            << text;
}

namespace
{

std::unique_ptr<PttLine> rigctldLine(int port)
{
    return makePttLine(
        std::get<PttAddress>(parsePttAddress("rigctld:127.0.0.1:" + std::to_string(port))));
}

// How long a step took, in ms.
template <typename Step> long long msOf(Step step)
{
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

} // namespace

TEST(HamlibPtt, KeysThroughRigctldWhileAnotherClientReadsIt)
{
    PrivateRigctld rigctld;
    const auto line = rigctldLine(rigctld.port());
    EXPECT_EQ(line->name(), "rigctld at 127.0.0.1:" + std::to_string(rigctld.port()));
    // Every spelling of this machine is one rigctld, and one lock; another port is another.
    const std::string port = std::to_string(rigctld.port());
    EXPECT_EQ(line->lockPath(), "/tmp/quorvel-ptt-rigctld-local-" + port + ".lock");
    char hostname[256] = "";
    ::gethostname(hostname, sizeof hostname - 1);
    for (const std::string host :
         {"localhost", "[::1]", "127.0.0.2", "0.0.0.0", static_cast<const char*>(hostname)})
        EXPECT_EQ(makePttLine(std::get<PttAddress>(parsePttAddress("rigctld:" + host + ":" + port)))
                      ->lockPath(),
                  line->lockPath())
            << host;
    EXPECT_EQ(rigctldIdentity("192.0.2.7", 4532, std::chrono::seconds(1)), "192.0.2.7-4532");
    EXPECT_EQ(rigctldIdentity("localhost", 4533, std::chrono::seconds(1)), "local-4533");
    ASSERT_EQ(line->open(), "");
    EXPECT_EQ(rigctld.pttState(), "0");
    EXPECT_EQ(line->key(), "");
    EXPECT_EQ(rigctld.pttState(), "1");
    EXPECT_EQ(line->check(), "");
    EXPECT_EQ(line->unkey(), "");
    EXPECT_EQ(rigctld.pttState(), "0");

    // The watchdog's way: a connection of its own that only releases.
    EXPECT_EQ(line->key(), "");
    const auto watchdog = rigctldLine(rigctld.port());
    EXPECT_EQ(watchdog->attach(), "");
    EXPECT_EQ(rigctld.pttState(), "1");
    EXPECT_EQ(watchdog->unkey(), "");
    EXPECT_EQ(rigctld.pttState(), "0");

    // A radio model straight through its port: hamlib's dummy takes any device.
    const auto direct = makePttLine(std::get<PttAddress>(parsePttAddress("rig:1:/dev/null")));
    EXPECT_EQ(direct->lockPath(), "/dev/null");
    EXPECT_EQ(direct->open(), "");
    EXPECT_EQ(direct->key(), "");
    EXPECT_EQ(direct->unkey(), "");
}

TEST(HamlibPtt, ALostRigctldIsSeenAndTheReleaseTriesANewConnection)
{
    auto rigctld = std::make_unique<PrivateRigctld>();
    const int port = rigctld->port();
    const auto line = rigctldLine(port);
    ASSERT_EQ(line->open(), "");
    ASSERT_EQ(line->key(), "");
    rigctld->kill();
    std::string lost;
    for (int i = 0; i < 50 && lost.empty(); ++i, usleep(20000))
        lost = line->check();
    EXPECT_EQ(lost,
              "the connection to rigctld at 127.0.0.1:" + std::to_string(port) + " was closed");
    EXPECT_THAT(line->unkey(),
                HasSubstr("the release through a new connection to rigctld at 127.0.0.1:" +
                          std::to_string(port) + " failed (cannot connect"));

    // Back again on the same port: this time the new connection releases.
    rigctld = std::make_unique<PrivateRigctld>("RIG", port);
    ASSERT_EQ(line->open(), "");
    ASSERT_EQ(line->key(), "");
    rigctld->kill();
    rigctld = std::make_unique<PrivateRigctld>("RIG", port);
    // Unasked by check(), the release tells the loss itself.
    EXPECT_EQ(line->unkey(), lost +
                                 "; the transmitter was released through a new connection to "
                                 "rigctld at 127.0.0.1:" +
                                 std::to_string(port));
}

// rigctld missing, silent or without PTT over CAT: play_pulse.sh's rigctld_faults.
TEST(HamlibPtt, ARadioModelOrPortThatIsNoneIsNamed)
{
    EXPECT_THAT(
        makePttLine(std::get<PttAddress>(parsePttAddress("rig:99999999:/dev/null")))->open(),
        HasSubstr("hamlib knows no radio model 99999999"));
    EXPECT_THAT(
        makePttLine(std::get<PttAddress>(parsePttAddress("rig:1:/nonexistent/ttyUSB7")))->attach(),
        HasSubstr("cannot open the CAT port /nonexistent/ttyUSB7: No such"));
}

TEST(HamlibThread, ALateCallRunsAloneAndOneStillQueuedAtItsLimitIsDropped)
{
    using namespace std::chrono_literals;
    HamlibThread& thread = HamlibThread::instance();
    std::promise<std::optional<int>> lateResult, droppedResult;
    std::atomic<int> running{0}, most{0};
    const auto slow = [&] {
        most = std::max(most.load(), ++running);
        std::this_thread::sleep_for(300ms);
        --running;
        return 7;
    };
    std::optional<int> result;
    const long long ms = msOf([&] {
        result = thread.run<int>(50ms, slow,
                                 [&](std::optional<int>& late) { lateResult.set_value(late); });
    });
    EXPECT_FALSE(result);
    EXPECT_LT(ms, 250);
    // Queued behind the late call, and not started when its own limit passes.
    EXPECT_FALSE(thread.run<int>(50ms, slow,
                                 [&](std::optional<int>& late) { droppedResult.set_value(late); }));
    EXPECT_EQ(lateResult.get_future().get(), 7);
    EXPECT_EQ(droppedResult.get_future().get(), std::nullopt);
    EXPECT_EQ(thread.run<int>(1s, slow, [](std::optional<int>&) { FAIL(); }), 7);
    EXPECT_EQ(most, 1);
}

// A caller that waits through its own loop, and is stopped at stopAfter: what the window's
// Escape does while hamlib connects.
class StoppedLineWait : public LineWait
{
public:
    explicit StoppedLineWait(std::chrono::milliseconds stopAfter)
        : m_stopAt(std::chrono::steady_clock::now() + stopAfter)
    {
    }
    bool waitFor(std::chrono::milliseconds limit, int, const std::function<bool()>& ready) override
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!ready()) {
            if (stopped() || std::chrono::steady_clock::now() >= until)
                return false;
            std::unique_lock lock(m_mutex);
            m_woken.wait_for(lock, std::chrono::milliseconds(5), [this] { return m_wakeUps > 0; });
            m_wakeUps = 0;
        }
        return true;
    }
    void wakeUp() override
    {
        std::lock_guard lock(m_mutex);
        ++m_wakeUps;
        m_woken.notify_one();
    }
    bool stopped() const override { return std::chrono::steady_clock::now() >= m_stopAt; }

private:
    std::chrono::steady_clock::time_point m_stopAt;
    std::mutex m_mutex;
    std::condition_variable m_woken;
    int m_wakeUps = 0;
};

TEST(HamlibThread, ACallerWaitingThroughItsLoopIsWokenByTheResultAndLeavesAtItsStop)
{
    using namespace std::chrono_literals;
    HamlibThread& thread = HamlibThread::instance();
    StoppedLineWait never(1h);
    EXPECT_EQ(thread.run<int>(
                  1s, [] { return 5; }, [](std::optional<int>&) { FAIL(); }, &never),
              5);
    // Stopped 50 ms into a 300 ms call with a 4 s limit: the caller leaves then, and the call
    // finishes late on the thread.
    std::promise<std::optional<int>> late;
    StoppedLineWait stopping(50ms);
    std::optional<int> result = 0;
    const long long ms = msOf([&] {
        result = thread.run<int>(
            4s,
            [] {
                std::this_thread::sleep_for(300ms);
                return 7;
            },
            [&](std::optional<int>& value) { late.set_value(value); }, &stopping);
    });
    EXPECT_FALSE(result);
    EXPECT_LT(ms, 200);
    EXPECT_EQ(late.get_future().get(), 7);
}

// A stand-in for the watchdog: a script run with the socket as descriptor 3.
struct WatchdogScript {
    std::string folder = [] {
        char name[] = "/tmp/quorvel-watchdog-XXXXXX";
        return std::string(::mkdtemp(name) ? name : "");
    }();
    std::string path = folder + "/watchdog";

    // before: what runs before it says that it holds the line.
    explicit WatchdogScript(const std::string& body, const std::string& before = "")
    {
        std::ofstream(path) << "#!/bin/sh\n" << before << "\nprintf + >&3\n" << body << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    ~WatchdogScript() { std::filesystem::remove_all(folder); }
    std::string file(const std::string& name) const { return folder + "/" + name; }
};

bool waitForFile(const std::string& path, const std::string& holding)
{
    for (int i = 0; i < 100; ++i) {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        if (text.str().find(holding) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(ProcessWatchdog, AWatchdogThatIsReleasingIsWaitedForAsLongAsItsLineNeedsAndNeverKilled)
{
    // A stand-in watchdog that holds the line at once, then takes 3.3 s over its release.
    const WatchdogScript script("cat <&3 >/dev/null\nsleep 3.3\ntouch \"$(dirname \"$0\")/done\"");
    const std::string done = script.file("done");
    // A device line is released within 3 s: the wait ends then, and the watchdog goes on.
    long long ms = msOf([&] {
        ProcessWatchdog watchdog(script.path);
        ASSERT_EQ(watchdog.start("cm108:/dev/null", -1), "");
        watchdog.takeOver();
    });
    EXPECT_GE(ms, 2900);
    EXPECT_LT(ms, 3300);
    EXPECT_FALSE(std::filesystem::exists(done));
    EXPECT_TRUE(waitForFile(done, ""));
    // Through hamlib a release may take far longer: the whole of it is waited for.
    std::filesystem::remove(done);
    ms = msOf([&] {
        ProcessWatchdog watchdog(script.path);
        ASSERT_EQ(watchdog.start("rigctld:127.0.0.1:9", -1), "");
        watchdog.takeOver();
    });
    EXPECT_GE(ms, 3300);
    EXPECT_TRUE(std::filesystem::exists(done));
}

TEST(ProcessWatchdog, HearsTheTimeOutAndTheReleaseAndNeverHoldsTheProgramOrTheLineAfterIt)
{
    using Clock = std::chrono::steady_clock;
    // What the watchdog hears: the moment of the time-out on the monotonic clock, then the word.
    {
        // Reading from the start, and not the shell, which is killed at once after the release.
        const WatchdogScript script("wait", "cat <&3 >\"$(dirname \"$0\")/heard\" &");
        ProcessWatchdog watchdog(script.path);
        ASSERT_EQ(watchdog.start("cm108:/dev/null", -1), "");
        EXPECT_FALSE(watchdog.ended());
        const auto expected =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
                .count() +
            2500;
        watchdog.releaseWithin(std::chrono::milliseconds(2500));
        watchdog.released();
        ASSERT_TRUE(waitForFile(script.file("heard"), "released\n"));
        std::ifstream heard(script.file("heard"));
        std::string until, released;
        long long at = 0;
        heard >> until >> at >> released;
        EXPECT_EQ(until, "until");
        EXPECT_LE(std::abs(at - expected), 100);
        EXPECT_EQ(released, "released");
    }
    // A watchdog that is stopped: the release is said at once and the watchdog goes, so that
    // it keeps neither the program nor the line's lock.
    const WatchdogScript script("kill -STOP $$");
    const std::string lockPath = script.file("lock");
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    const long long ms = msOf([&] {
        ProcessWatchdog watchdog(script.path);
        ASSERT_EQ(watchdog.start("cm108:/dev/null", lock), "");
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // stopped by now
        const long long released = msOf([&] { watchdog.released(); });
        EXPECT_LT(released, 50);
    });
    EXPECT_LT(ms, 1000);
    ::close(lock);
    bool free = false;
    for (int i = 0; i < 50 && !free; ++i) {
        const int again = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
        free = ::flock(again, LOCK_EX | LOCK_NB) == 0;
        ::close(again);
        if (!free)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(free) << "the stopped watchdog still holds the line's lock";
}

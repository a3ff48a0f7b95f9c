// The ALSA output without sound hardware: a private ALSA configuration whose default is a
// file plugin, with pulse plugins aimed at a socket that does not exist
// and at one that never answers, and a file plugin writing into a pipe that nobody reads.

#include "AlsaWaveOut.h"

#include "DtmfModule.h"
#include "FakeEventPump.h"
#include "PlaybackCycle.h"
#include "RecordingMessages.h"
#include "TickCounter.h"

#include <alsa/asoundlib.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace
{

namespace fs = std::filesystem;

class AlsaWaveOutTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        fs::remove_all(dir()); // what a crashed run with this process id left
        fs::create_directories(dir());
        const std::string d = dir().string();
        std::ofstream(dir() / "alsa.conf")
            << "</usr/share/alsa/alsa.conf>\n"
            << "pcm.!default { type file slave.pcm \"null\" file \"" << d
            << "/default.raw\" format \"raw\" }\n"
            << "pcm.quorvel_nowhere { type pulse server \"unix:" << d << "/nothing\" }\n"
            << "pcm.quorvel_silent { type pulse server \"unix:" << d << "/silent\" }\n"
            << "pcm.quorvel_stuck { type file slave.pcm \"null\" file \"" << d
            << "/stuck\" format \"raw\" }\n";
        setenv("ALSA_CONFIG_PATH", (dir() / "alsa.conf").c_str(), 1);
        // Takes connections into its backlog and never says a word.
        silent = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = d + "/silent";
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(listen(silent, 8), 0);
    }
    static void TearDownTestSuite()
    {
        if (silent >= 0)
            ::close(silent);
        fs::remove_all(dir());
    }
    // One per process: ctest runs the cases side by side.
    static fs::path dir()
    {
        return fs::temp_directory_path() / ("quorvel-alsa-test-" + std::to_string(getpid()));
    }
    static bool hasSoundCard()
    {
        int card = -1;
        return snd_card_next(&card) == 0 && card >= 0;
    }

    // Plays the sequence through a cycle on the device, its wait sleeping in short steps.
    PlaybackCycle::Result play(WaveOut& device, const std::string& sequence)
    {
        PlaybackCycle cycle(m, device, ticks, messages, events);
        events.onWait = [](std::chrono::milliseconds limit) {
            std::this_thread::sleep_for(std::min(limit, std::chrono::milliseconds(20)));
        };
        cycle.SuonaSequenza(sequence);
        return cycle.lastResult();
    }

    static inline int silent = -1;
    modTone m = dtmfModule(70, 60, 300);
    SteadyTickCounter ticks;
    RecordingMessages messages;
    FakeEventPump events;
};

// The samples that the file plugin writes are compared byte for byte by play_alsa.sh.
TEST_F(AlsaWaveOutTest, CountsTheOutputsThatOpen)
{
    if (hasSoundCard())
        GTEST_SKIP() << "the counts here are those of a machine without a sound card";
    AlsaWaveOut device;
    EXPECT_EQ(device.inputDeviceCount(), 0u);
    EXPECT_EQ(device.outputDeviceCount(), 1u); // the file plugin opens
    // Where the chosen output cannot open, there is nothing to sound: the start-up message.
    device.setOutputDevice("quorvel_nowhere");
    EXPECT_EQ(device.outputDeviceCount(), 0u);
}

struct Failure {
    const char* pcm;
    std::string report; // what the cycle shows
};

class AlsaWaveOutFailure : public AlsaWaveOutTest, public ::testing::WithParamInterface<Failure>
{
};

TEST_P(AlsaWaveOutFailure, ReportsANumberedFailureWithinTheDeadlineAndReleasesTheDevice)
{
    AlsaWaveOut device(1000ms);
    device.setOutputDevice(GetParam().pcm);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(play(device, "123"), PlaybackCycle::Result::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "a wait without a deadline";
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, GetParam().report);
    EXPECT_EQ(messages.shown()[0].title, " SuonaSequenza");
    EXPECT_FALSE(m.Playing);
}

INSTANTIATE_TEST_SUITE_P(
    Alsa, AlsaWaveOutFailure,
    ::testing::Values(Failure{"quorvel_no_such_pcm", "1. waveOutOpen failed -  2"},
                      Failure{"hw:CARD=QuorvelMissing,DEV=0", "1. waveOutOpen failed -  6"},
                      Failure{"quorvel_nowhere", "1. waveOutOpen failed -  6"},
                      Failure{"quorvel_silent", "1. waveOutOpen failed -  258"}));

// The writer blocks inside libasound (the pipe is full) while the caller stops, closes and
// frees the buffer; then the pipe is read and the writer goes on. Neither side may wait
// without a deadline, and the writer must never touch the freed buffer (run under ASan).
TEST_F(AlsaWaveOutTest, AStopWhileTheWriterIsStuckNeitherWaitsNorLeavesItTheBuffer)
{
    const fs::path fifo = dir() / "stuck";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int held = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK); // holds the pipe, unread
    ASSERT_GE(held, 0);
    AlsaWaveOut device(1000ms);
    device.setOutputDevice("quorvel_stuck");
    WaveFormat format;
    format.nSamplesPerSec = 22050;
    format.nAvgBytesPerSec = 44100;
    WaveHandle handle = 0;
    ASSERT_EQ(device.open(handle, format), WaveResult::NoError);
    auto samples = std::make_unique<std::vector<std::int16_t>>(2 * 22050, 1000); // 2 s > a pipe
    WaveHeader header;
    header.lpData = samples->data();
    header.dwBufferLength = static_cast<std::uint32_t>(2 * samples->size());
    ASSERT_EQ(device.prepareHeader(handle, header), WaveResult::NoError);
    ASSERT_EQ(device.write(handle, header), WaveResult::NoError);
    std::this_thread::sleep_for(300ms); // the pipe's 64 KiB are full by now
    EXPECT_EQ(device.deviceError(handle), WaveResult::NoError);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.reset(handle), WaveResult::NoError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms) << "the stop waited";
    EXPECT_NE(header.dwFlags.load() & WHDR_DONE, 0u);
    EXPECT_EQ(device.unprepareHeader(handle, header), WaveResult::NoError);
    EXPECT_EQ(device.close(handle), WaveResult::NoError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "the close waited too long";
    samples.reset();

    // The writer comes back into its play with the buffer gone.
    std::vector<char> sink(1 << 16);
    for (int i = 0; i < 20; ++i) {
        while (::read(held, sink.data(), sink.size()) > 0) {
        }
        std::this_thread::sleep_for(20ms);
    }
    ::close(held);
}

TEST_F(AlsaWaveOutTest, HeaderStepsRefuseWhatIsOutOfOrder)
{
    AlsaWaveOut device;
    WaveHeader header;
    WaveHandle handle = 0;
    EXPECT_EQ(device.open(handle, WaveFormat{}), WaveResult::BadFormat); // 0 Hz
    EXPECT_EQ(device.prepareHeader(7, header), WaveResult::InvalidHandle);
    WaveFormat format;
    format.nSamplesPerSec = 22050;
    format.nAvgBytesPerSec = 44100;
    ASSERT_EQ(device.open(handle, format), WaveResult::NoError);
    EXPECT_EQ(device.write(handle, header), WaveResult::Unprepared);
    EXPECT_EQ(device.prepareHeader(handle, header), WaveResult::InvalidParam); // no data
    EXPECT_EQ(device.close(handle), WaveResult::NoError);
    EXPECT_EQ(device.close(handle), WaveResult::InvalidHandle);
}

} // namespace

#include "PlaybackCycle.h"

#include "DtmfTable.h"
#include "FakeEventPump.h"
#include "FakeTickCounter.h"
#include "FakeWaveOut.h"
#include "RecordingMessages.h"
#include "Timings.h"
#include "modTone.h"

#include <cctype>
#include <gmock/gmock.h>

// One failed send: a device step fails with the code, "deviceError" is lost with it at the
// first poll, "late" never ends, or "ToneSamples" or "toneSet" takes it so that the render
// fails. A device step's report is checked whole, a render error by its start.
struct Failure {
    std::string what;
    std::int32_t code;
    const char* text;
    const char* steps;    // the device steps by their initials (r: reset)
    std::int32_t elapsed; // ElapsedMs afterwards, 1234 before
    friend void PrintTo(const Failure& failure, std::ostream* os) { *os << failure.text; }
};

// "12 3" with 70 ms tones, 60 ms pauses and 300 ms blanks: 12575 samples, 570 ms. A wait
// sleeps out its limit at once; every pass sends again, and every second pass sees the end.
class PlaybackCycleTest : public ::testing::TestWithParam<Failure>
{
protected:
    PlaybackCycleTest()
    {
        LoadDtmfTable(m.Tones);
        ComputeTimings(m);
        m.ElapsedMs = 1234;
        events.onWait = [this](auto limit) { ticks.advance(std::uint32_t(limit.count())); };
        events.onPass = [this](int pass) {
            cycle.SuonaSequenza("999"); // returns at once and leaves the playing buffer alone
            EXPECT_EQ(m.SampleBuffer.data()[2869], -25766); // rendered before the write
            if (ends && pass % 2 == 0)
                device.setDone();
        };
    }
    std::string initials() const
    {
        std::string all;
        for (const std::string& step : device.steps())
            all += step[0];
        return all;
    }
    auto state() const { return std::tuple(m.Playing, m.ElapsedMs, cycle.waveHandle()); }

    modTone m{.ToneDuration = 0.07, .TonePause = 0.06, .SequencePause = 0.3, .SampleBuffer = {}};
    FakeWaveOut device;
    FakeTickCounter ticks;
    RecordingMessages messages;
    FakeEventPump events;
    PlaybackCycle cycle{m, device, ticks, messages, events};
    bool ends = true;
};

TEST_F(PlaybackCycleTest, ChecksTheSoundCardThenPlaysAndTimesAcrossTickWraps)
{
    device.inputDevices = 0;
    EXPECT_TRUE(cycle.CheckSoundCard()); // output only
    std::swap(device.inputDevices, device.outputCount);
    EXPECT_TRUE(cycle.CheckSoundCard()); // input only

    cycle.SuonaSequenza(""); // touches nothing
    // 2^31 (the sign bit) and 2^32 (the counter's own wrap) pass during the 250 ms sleep.
    for (const std::uint32_t start : {0x7FFFFFF0u, 0xFFFFFFF0u}) {
        ticks.now = start;
        cycle.SuonaSequenza("12 3");
        EXPECT_EQ(state(), std::tuple(false, 250, 0u));
        EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::Played);
    }
    EXPECT_EQ(initials(), "opwucopwuc");
    EXPECT_EQ(device.calls()[1].bytes, 2u * 12575); // the header is filled before prepare
    EXPECT_TRUE(m.SampleBuffer.empty());   // freed when the play ends, not kept until the next
    EXPECT_EQ(events.wakeUps, 2);          // the device's end of play wakes the wait
    EXPECT_EQ(device.mediaName(), "12 3"); // what a sound mixer shows for the stream
    // With neither, the start-up message: checked through the window's start-up.
}

TEST_P(PlaybackCycleTest, ReportsAFailureAndReleasesTheDevice)
{
    const Failure& f = GetParam();
    ends = f.what != "late";
    if (f.what == "ToneSamples")
        m.ToneSamples = f.code;
    if (f.what == "toneSet")
        cycle.setToneSetIndexSource([&] { return f.code; });
    device.failStep("reset", 5); // the stop step keeps its own failures quiet
    device.failStep("close", 5);
    device.failStep(f.what, f.code);
    decltype(state()) atReport;
    messages.onShow = [&](const auto&) { atReport = state(); };
    cycle.SuonaSequenza("12 3");

    ASSERT_EQ(messages.shown().size(), 1u);
    const RecordingMessages::Shown& shown = messages.shown()[0];
    const bool numbered = std::isdigit(f.text[0]);
    EXPECT_THAT(shown.text,
                numbered ? ::testing::Matcher<std::string>(f.text) : ::testing::StartsWith(f.text));
    EXPECT_EQ(shown.title, numbered ? " SuonaSequenza" : "Quorvel");
    EXPECT_EQ(shown.icon, Messages::Icon::Critical);
    EXPECT_EQ(initials(), f.steps);
    for (const FakeWaveOut::Call& call : device.calls())
        EXPECT_EQ(call.handle, call.step == "open" ? 0u : 0x51u);
    // A device report comes while the device is open and Playing still holds; a failed close
    // leaves its handle to the platform.
    const WaveHandle openHandle = numbered && f.what != "open" ? 0x51 : 0;
    EXPECT_EQ(atReport, std::tuple(numbered, f.elapsed, openHandle));
    EXPECT_EQ(state(), std::tuple(false, f.elapsed, f.what == "close" ? openHandle : 0));
    EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::Failed);
    // Only a late end waits out the limit: 1.5 times the 570 ms of sound plus 10 s.
    EXPECT_EQ(ticks.now == 10855u, f.what == "late");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PlaybackCycleTest,
    ::testing::Values(
        Failure{"open", 4, "1. waveOutOpen failed -  4", "o", 1234},
        Failure{"prepareHeader", -11, "2. waveOutPrepareHeader failed - -11", "oprc", 1234},
        Failure{"write", 7, "3. waveOutWrite failed -  7", "opwrc", 1234},
        Failure{"deviceError", -6, "3. waveOutWrite failed - -6", "opwrc", 1234},
        Failure{"late", 0, "3. waveOutWrite failed -  258", "opwrc", 1234},
        Failure{"unprepareHeader", 33, "4. waveOutUnPrepareHeader failed - 1 -  33", "opwurc", 250},
        Failure{"close", -2147483647 - 1, "5. waveOutClose failed - -2147483648", "opwuc", 250},
        Failure{"ToneSamples", 800000000, "Overflow", "", 1234},      // 2^31 samples
        Failure{"ToneSamples", 400000000, "Out of memory", "", 1234}, // 2^31 bytes
        Failure{"toneSet", -1, "Subscript out of range", "oprc", 1234}));

// A stop during the wait is checked through the window, by Escape.

#include "PlaybackCycle.h"

#include "DtmfTable.h"
#include "FakeEventPump.h"
#include "FakeTickCounter.h"
#include "FakeWaveOut.h"
#include "RecordingMessages.h"
#include "Timings.h"
#include "modTone.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Icon = Messages::Icon;

namespace
{

// "12 3" with DTMF1, 70/60/300 ms: 12575 samples.
constexpr std::int32_t kSamples = 12575;

class PlaybackCycleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadDtmfTable(m.Tones);
        m.ToneDuration = 0.07;
        m.TonePause = 0.06;
        m.SequencePause = 0.3;
        ComputeTimings(m);
    }

    // The device finishes the buffer during the given pass of the wait.
    void doneOnPass(int pass)
    {
        events.onPass = [this, pass](int p) {
            if (p == pass)
                device.setDone();
        };
    }

    modTone m;
    FakeWaveOut device;
    FakeTickCounter ticks;
    RecordingMessages messages;
    FakeEventPump events;
    PlaybackCycle cycle{m, device, ticks, messages, events};
};

TEST_F(PlaybackCycleTest, PlaysTheWholeBufferWithTheStepsInOrder)
{
    bool playingDuringWait = false;
    std::int16_t firstSampleDuringWait = 0;
    events.onPass = [&](int) {
        playingDuringWait = m.Playing;
        firstSampleDuringWait = m.SampleBuffer.data()[0];
        device.setDone();
    };
    cycle.SuonaSequenza("12 3");

    EXPECT_THAT(device.steps(),
                ElementsAre("open", "prepareHeader", "write", "unprepareHeader", "close"));
    const WaveFormat& format = device.lastFormat;
    EXPECT_EQ(format.wFormatTag, 1);
    EXPECT_EQ(format.nChannels, 1);
    EXPECT_EQ(format.nSamplesPerSec, 22050u);
    EXPECT_EQ(format.nAvgBytesPerSec, 44100u);
    EXPECT_EQ(format.nBlockAlign, 2);
    EXPECT_EQ(format.wBitsPerSample, 16);
    EXPECT_EQ(format.cbSize, 0);
    for (std::size_t i = 1; i < device.calls().size(); ++i)
        EXPECT_EQ(device.calls()[i].handle, 0x51u) << device.calls()[i].step;

    // The header is filled before prepare and covers element 1 to n of the buffer.
    const FakeWaveOut::Call& prepare = device.calls()[1];
    EXPECT_EQ(prepare.data, m.SampleBuffer.data());
    EXPECT_EQ(prepare.bytes, 2u * kSamples);
    EXPECT_EQ(prepare.user, 1u);
    EXPECT_EQ(prepare.flags, 0u);
    EXPECT_EQ(device.calls()[2].data, m.SampleBuffer.data());

    // Rendered before the write; Playing held through the wait and cleared at the end.
    EXPECT_TRUE(playingDuringWait);
    EXPECT_EQ(firstSampleDuringWait, 8561);
    EXPECT_EQ(m.SampleBuffer.size(), kSamples);
    EXPECT_FALSE(m.Playing);
    EXPECT_EQ(cycle.waveHandle(), 0u);
    EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::Played);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PlaybackCycleTest, RendersWithTheSelectorsCurrentSet)
{
    int asked = 0;
    cycle.setToneSetIndexSource([&] {
        ++asked;
        return 1;
    });
    device.doneOnWrite = true;
    cycle.SuonaSequenza("1");
    EXPECT_EQ(asked, 1);
    // DTMF2 is the same pair of rows: 697 + 1209 Hz, so sample 1 is the same as DTMF1's.
    EXPECT_EQ(m.SampleBuffer.data()[0], 8561);
}

TEST_F(PlaybackCycleTest, EmptySequenceTouchesNothing)
{
    m.ElapsedMs = 77;
    cycle.SuonaSequenza("");
    EXPECT_TRUE(device.calls().empty());
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(events.passes(), 0);
    EXPECT_EQ(ticks.reads(), 0);
    EXPECT_TRUE(m.SampleBuffer.empty());
    EXPECT_FALSE(m.Playing);
    EXPECT_EQ(m.ElapsedMs, 77);
    EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::None);
}

TEST_F(PlaybackCycleTest, ReentrantSendDuringTheWaitReturnsAtOnce)
{
    std::size_t callsBefore = 0;
    const std::int16_t* bufferBefore = nullptr;
    std::int16_t sampleBefore = 0;
    events.onPass = [&](int pass) {
        if (pass == 1) {
            callsBefore = device.calls().size();
            bufferBefore = m.SampleBuffer.data();
            sampleBefore = m.SampleBuffer.data()[2869];
            cycle.SuonaSequenza("999");
            EXPECT_EQ(device.calls().size(), callsBefore);
            EXPECT_EQ(m.SampleBuffer.data(), bufferBefore);
            EXPECT_EQ(m.SampleBuffer.size(), kSamples);
            EXPECT_EQ(m.SampleBuffer.data()[2869], sampleBefore);
            EXPECT_TRUE(m.Playing);
            EXPECT_TRUE(messages.shown().empty());
        }
        if (pass == 3)
            device.setDone();
    };
    cycle.SuonaSequenza("12 3");
    EXPECT_EQ(sampleBefore, -25766);
    EXPECT_THAT(device.steps(),
                ElementsAre("open", "prepareHeader", "write", "unprepareHeader", "close"));
    EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::Played);
}

TEST_F(PlaybackCycleTest, WaitProcessesEventsAtLeastOnceAndSleepsBetweenPasses)
{
    device.doneOnWrite = true;
    cycle.SuonaSequenza("1");
    EXPECT_EQ(events.passes(), 1);
    EXPECT_EQ(events.waits(), 0);

    doneOnPass(1 + 4); // the passes are counted across both sends
    device.doneOnWrite = false;
    cycle.SuonaSequenza("1");
    EXPECT_EQ(events.passes(), 1 + 4);
    // A pass that does not see the flag sleeps until the next event, never spins.
    EXPECT_EQ(events.waits(), 3);
    EXPECT_GT(events.lastLimit().count(), 0);
    // The device's end of play wakes the sleeping wait.
    EXPECT_EQ(events.wakeUps(), 1);
}

TEST_F(PlaybackCycleTest, ElapsedMsRunsFromTheWriteToTheFirstPollThatSeesDone)
{
    ticks.now = 5000;
    events.onPass = [&](int pass) {
        ticks.advance(100);
        if (pass == 6)
            device.setDone();
    };
    events.onWait = [&](std::chrono::milliseconds) { ticks.advance(7); };
    cycle.SuonaSequenza("1");
    EXPECT_EQ(m.ElapsedMs, 6 * 100 + 5 * 7);
}

class TickWrapTest : public PlaybackCycleTest, public ::testing::WithParamInterface<std::uint32_t>
{
};

TEST_P(TickWrapTest, ElapsedMsIsTheTrueDurationAcrossAWrap)
{
    ticks.now = GetParam();
    events.onPass = [&](int pass) {
        ticks.advance(250);
        if (pass == 2)
            device.setDone();
    };
    cycle.SuonaSequenza("1");
    EXPECT_EQ(m.ElapsedMs, 500);
}

// Just before 2^31 (the sign bit) and just before 2^32 (the counter's own wrap).
INSTANTIATE_TEST_SUITE_P(Counter, TickWrapTest,
                         ::testing::Values(0x7FFFFF00u, 0xFFFFFF00u, 0xFFFFFFFFu));

struct StepFailure {
    const char* step;
    std::int32_t code;
    const char* text;
    std::vector<std::string> steps;
    bool elapsedUpdated;
    WaveHandle handleAfter;
};

void PrintTo(const StepFailure& failure, std::ostream* os)
{
    *os << failure.step << " fails with " << failure.code;
}

class ReportTest : public PlaybackCycleTest, public ::testing::WithParamInterface<StepFailure>
{
};

TEST_P(ReportTest, ReportsTheFailedStepAndReleasesTheDevice)
{
    const StepFailure& failure = GetParam();
    device.failStep(failure.step, failure.code);
    m.ElapsedMs = 1234;
    ticks.now = 100;
    events.onPass = [&](int) {
        ticks.advance(40);
        device.setDone();
    };
    struct Seen {
        bool playing;
        std::int32_t elapsed;
        WaveHandle handle;
    };
    std::vector<Seen> seen;
    messages.onShow = [&](const RecordingMessages::Shown&) {
        seen.push_back({m.Playing, m.ElapsedMs, cycle.waveHandle()});
    };

    cycle.SuonaSequenza("12 3");

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, failure.text);
    EXPECT_EQ(messages.shown()[0].title, " SuonaSequenza");
    EXPECT_EQ(messages.shown()[0].icon, Icon::Critical);
    EXPECT_EQ(device.steps(), failure.steps);

    const std::int32_t elapsed = failure.elapsedUpdated ? 40 : 1234;
    EXPECT_TRUE(seen[0].playing);
    EXPECT_EQ(seen[0].elapsed, elapsed);
    EXPECT_EQ(seen[0].handle, std::string(failure.step) == "open" ? 0u : 0x51u);
    EXPECT_FALSE(m.Playing);
    EXPECT_EQ(m.ElapsedMs, elapsed);
    EXPECT_EQ(cycle.waveHandle(), failure.handleAfter);
    EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::Failed);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ReportTest,
    ::testing::Values(
        StepFailure{"open", 4, "1. waveOutOpen failed -  4", {"open"}, false, 0},
        StepFailure{"open", -4, "1. waveOutOpen failed - -4", {"open"}, false, 0},
        StepFailure{"prepareHeader",
                    11,
                    "2. waveOutPrepareHeader failed -  11",
                    {"open", "prepareHeader", "reset", "close"},
                    false,
                    0},
        StepFailure{"prepareHeader",
                    -1,
                    "2. waveOutPrepareHeader failed - -1",
                    {"open", "prepareHeader", "reset", "close"},
                    false,
                    0},
        StepFailure{"write",
                    7,
                    "3. waveOutWrite failed -  7",
                    {"open", "prepareHeader", "write", "reset", "close"},
                    false,
                    0},
        StepFailure{"unprepareHeader",
                    33,
                    "4. waveOutUnPrepareHeader failed - 1 -  33",
                    {"open", "prepareHeader", "write", "unprepareHeader", "reset", "close"},
                    true,
                    0},
        StepFailure{"unprepareHeader",
                    -33,
                    "4. waveOutUnPrepareHeader failed - 1 - -33",
                    {"open", "prepareHeader", "write", "unprepareHeader", "reset", "close"},
                    true,
                    0},
        StepFailure{"close",
                    5,
                    "5. waveOutClose failed -  5",
                    {"open", "prepareHeader", "write", "unprepareHeader", "close"},
                    true,
                    0x51},
        StepFailure{"close",
                    -2147483647 - 1,
                    "5. waveOutClose failed - -2147483648",
                    {"open", "prepareHeader", "write", "unprepareHeader", "close"},
                    true,
                    0x51}),
    [](const auto& param) {
        return std::string(param.param.step) + (param.param.code < 0 ? "Negative" : "Positive") +
               std::to_string(param.index);
    });

TEST_F(PlaybackCycleTest, StopSoundSuppressesItsOwnFailures)
{
    device.failStep("prepareHeader", 2);
    device.failStep("reset", 5);
    device.failStep("close", 5);
    cycle.SuonaSequenza("1");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "2. waveOutPrepareHeader failed -  2");
    EXPECT_EQ(cycle.waveHandle(), 0u);
    EXPECT_FALSE(m.Playing);
}

TEST_F(PlaybackCycleTest, NextSendAfterAFailedCloseOpensANewDevice)
{
    device.doneOnWrite = true;
    device.failStep("close", 5);
    cycle.SuonaSequenza("1");
    EXPECT_EQ(cycle.waveHandle(), 0x51u);

    device.failStep("close", 0);
    device.nextHandle = 0x52;
    cycle.SuonaSequenza("2");
    EXPECT_THAT(device.steps(),
                ElementsAre("open", "prepareHeader", "write", "unprepareHeader", "close", "open",
                            "prepareHeader", "write", "unprepareHeader", "close"));
    EXPECT_EQ(device.calls()[9].handle, 0x52u);
    EXPECT_EQ(cycle.waveHandle(), 0u);
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST_F(PlaybackCycleTest, DeviceLostMidPlayEndsTheWait)
{
    m.ElapsedMs = 9;
    events.onPass = [&](int pass) {
        if (pass == 3)
            device.setDeviceError(-6);
    };
    cycle.SuonaSequenza("12 3");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "3. waveOutWrite failed - -6");
    EXPECT_EQ(messages.shown()[0].title, " SuonaSequenza");
    EXPECT_EQ(messages.shown()[0].icon, Icon::Critical);
    EXPECT_EQ(events.passes(), 3);
    EXPECT_THAT(device.steps(), ElementsAre("open", "prepareHeader", "write", "reset", "close"));
    EXPECT_FALSE(m.Playing);
    EXPECT_EQ(m.ElapsedMs, 9);
    EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::Failed);
}

TEST_F(PlaybackCycleTest, WaitGivesUpWhenTheEndNeverComes)
{
    ticks.now = 0xFFFFF000u;
    const std::uint32_t start = ticks.now;
    events.onWait = [&](std::chrono::milliseconds limit) {
        ticks.advance(static_cast<std::uint32_t>(limit.count()));
    };
    cycle.SuonaSequenza("12 3");

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "3. waveOutWrite failed -  258");
    EXPECT_THAT(device.steps(), ElementsAre("open", "prepareHeader", "write", "reset", "close"));
    EXPECT_FALSE(m.Playing);
    // 570 ms of sound: it waited 1.5 times that plus 10 s.
    EXPECT_EQ(ticks.now - start, 10855u);
}

TEST_F(PlaybackCycleTest, OverflowOfTheBufferLengthTouchesNoDevice)
{
    m.ToneSamples = 2147483646;
    cycle.SuonaSequenza("12");
    EXPECT_TRUE(device.calls().empty());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_THAT(messages.shown()[0].text, StartsWith("Overflow"));
    EXPECT_EQ(messages.shown()[0].title, "Quorvel");
    EXPECT_EQ(messages.shown()[0].icon, Icon::Critical);
    EXPECT_FALSE(m.Playing);
    EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::Failed);
}

TEST_F(PlaybackCycleTest, BufferWhoseByteLengthExceeds32BitsTouchesNoDevice)
{
    // n = 2^30 + 1 samples fits 32 bits, its 2 * n bytes do not.
    m.ToneSamples = 1 << 30;
    cycle.SuonaSequenza("1");
    EXPECT_TRUE(device.calls().empty());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_THAT(messages.shown()[0].text, HasSubstr("Out of memory"));
    EXPECT_EQ(messages.shown()[0].title, "Quorvel");
    EXPECT_FALSE(m.Playing);
}

TEST_F(PlaybackCycleTest, SymbolWithNoToneSetReleasesTheOpenDevice)
{
    cycle.setToneSetIndexSource([] { return -1; });
    cycle.SuonaSequenza("1");
    EXPECT_THAT(device.steps(), ElementsAre("open", "prepareHeader", "reset", "close"));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_THAT(messages.shown()[0].text, HasSubstr("no tone set is selected"));
    EXPECT_EQ(messages.shown()[0].title, "Quorvel");
    EXPECT_EQ(messages.shown()[0].icon, Icon::Critical);
    EXPECT_FALSE(m.Playing);
    EXPECT_EQ(cycle.waveHandle(), 0u);

    // The next send works again.
    cycle.setToneSetIndexSource(nullptr);
    device.doneOnWrite = true;
    cycle.SuonaSequenza("1");
    EXPECT_EQ(cycle.lastResult(), PlaybackCycle::Result::Played);
}

TEST_F(PlaybackCycleTest, CheckSoundCardPassesWithAnInputOrAnOutputDevice)
{
    device.inputDevices = 0;
    device.outputDevices = 1;
    EXPECT_TRUE(cycle.CheckSoundCard());
    device.inputDevices = 2;
    device.outputDevices = 0;
    EXPECT_TRUE(cycle.CheckSoundCard());
    EXPECT_TRUE(messages.shown().empty());

    device.inputDevices = 0;
    EXPECT_FALSE(cycle.CheckSoundCard());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text,
              "Questo PC non ha schede audio.\r\nIl programma verr\u00e0 ora chiuso.");
    EXPECT_EQ(messages.shown()[0].title, "Quorvel");
    EXPECT_EQ(messages.shown()[0].icon, Icon::Critical);
    EXPECT_TRUE(device.calls().empty());
}

} // namespace

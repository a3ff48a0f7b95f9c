#include "FakeEventPump.h"
#include "FakeTickCounter.h"
#include "FakeWaveOut.h"
#include "RenderCommand.h"
#include "StderrMessages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace
{

class PlayCommandTest : public ::testing::Test
{
protected:
    int play(QStringList arguments)
    {
        arguments.prepend("quorvel-render");
        const PlayServices services{device, ticks, messages, events};
        return runRenderCommand(arguments, out, err, &services);
    }

    FakeWaveOut device;
    FakeTickCounter ticks;
    std::ostringstream out;
    std::ostringstream err;
    StderrMessages messages{err};
    FakeEventPump events;
};

TEST_F(PlayCommandTest, PlaysThroughTheCycleAndPrintsThePlayTime)
{
    events.onPass = [&](int) {
        ticks.advance(3381);
        device.setDone();
    };
    EXPECT_EQ(play({"--play", "-s", "DTMF1", "--", "0123456789ABCDEF 1470"}), 0) << err.str();
    EXPECT_EQ(out.str(), "played in 3381 ms\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_THAT(device.steps(),
                ElementsAre("open", "prepareHeader", "write", "unprepareHeader", "close"));
    // DTMF1 presets, 100 ms tones and 60 ms pauses: 20 tones, 18 pauses, one blank.
    EXPECT_EQ(device.calls()[1].bytes, 2u * (20 * 2206 + 18 * 1324 + 6616));
}

TEST_F(PlayCommandTest, FailedStepIsReportedOnStandardErrorWithStatusOne)
{
    device.failStep("open", 4);
    EXPECT_EQ(play({"--play", "12"}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "SuonaSequenza: error: 1. waveOutOpen failed -  4\n");
}

TEST_F(PlayCommandTest, NoSoundDeviceIsReportedWithStatusOne)
{
    device.inputDevices = 0;
    device.outputDevices = 0;
    EXPECT_EQ(play({"--play", "12"}), 1);
    EXPECT_THAT(err.str(), HasSubstr("Questo PC non ha schede audio."));
    EXPECT_TRUE(device.calls().empty());
}

TEST_F(PlayCommandTest, RenderErrorIsReportedWithStatusOne)
{
    EXPECT_EQ(play({"--play", "-t", "90000000", "--", "1111"}), 1);
    EXPECT_THAT(err.str(), HasSubstr("Overflow"));
    EXPECT_TRUE(device.calls().empty());
}

TEST_F(PlayCommandTest, UsageErrors)
{
    EXPECT_EQ(play({"--play", "-o", "x.wav", "12"}), 2);
    EXPECT_THAT(err.str(), HasSubstr("--play and --output cannot be used together"));
    EXPECT_EQ(play({"--play", ""}), 2);
    EXPECT_THAT(err.str(), HasSubstr("nothing to play"));
    EXPECT_TRUE(device.calls().empty());
}

} // namespace

#include "RepeatCheckBox.h"
#include "WindowFixture.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Icon = Messages::Icon;

namespace
{

class SendTest : public WindowTest
{
protected:
    SendTest() { load(); } // entry 2 (duration 80), texts from the default record
    frmTone& w() { return *window; }
    int opens() const
    {
        return static_cast<int>(std::count_if(device.calls().begin(), device.calls().end(),
                                              [](const auto& c) { return c.step == "open"; }));
    }
};

TEST_F(SendTest, NegativeDurationsBecomeZeroAndTheCaptionShowsThePlayTime)
{
    w().Text2->setText("-5");
    w().Text3->setText("2,5");
    w().Text4->setText("250 ");
    playEndsOnPass(3, 1234);
    w().cmdTone_Click();

    EXPECT_EQ(w().Text2->text(), "0");
    EXPECT_EQ(w().Text3->text(), "2,5");
    EXPECT_EQ(w().Text4->text(), "250 ");
    EXPECT_DOUBLE_EQ(m.ToneDuration, 0.0);
    EXPECT_DOUBLE_EQ(m.TonePause, 0.0025);
    EXPECT_DOUBLE_EQ(m.SequencePause, 0.25);
    EXPECT_EQ(m.SampleRate, 22050);
    EXPECT_EQ(m.ToneSamples, 0);
    EXPECT_EQ(m.SequencePauseSamples, 5512);
    EXPECT_THAT(device.steps(),
                ElementsAre("open", "prepareHeader", "write", "unprepareHeader", "close"));
    EXPECT_EQ(w().windowTitle(), "Quorvel v3 - 1234mS");
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(SendTest, AnEmptySequencePlaysNothingButSetsTheCaption)
{
    w().Text1->clear();
    w().cmdTone_Click();
    EXPECT_TRUE(device.calls().empty());
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(w().windowTitle(), "Quorvel v3 - 0mS");
}

TEST_F(SendTest, TheSelectedSetIsRendered)
{
    device.doneOnWrite = true;
    w().Text1->setText("1");
    w().setListIndex(3); // Set B: symbol 1 is 320 Hz; 120 ms tone
    w().cmdTone_Click();
    // 120 ms is 2646 samples; the tone segment lasts its count + 1.
    ASSERT_EQ(m.SampleBuffer.size(), 2647u);
    const double step = 320 * 6.28318530717958 / 22050;
    EXPECT_EQ(m.SampleBuffer.data()[100],
              static_cast<std::int16_t>(std::nearbyint(16000 * std::sin(101 * step))));
}

TEST_F(SendTest, BadDurationBoxesAreNamedAndNothingIsOpened)
{
    w().Text2->setText("");
    w().Text3->setText("1-2");
    w().Text4->setText("abc");
    w().cmdTone_Click();
    ASSERT_EQ(messages.shown().size(), 1u);
    const auto& shown = messages.shown().front();
    EXPECT_EQ(shown.title, "Quorvel");
    EXPECT_EQ(shown.icon, Icon::Information);
    EXPECT_THAT(shown.text, HasSubstr("Single tone duration: \"\" is not a number"));
    EXPECT_THAT(shown.text, HasSubstr("Pause between tones: \"1-2\" is not a number"));
    EXPECT_THAT(shown.text, HasSubstr("Pause between sequences: \"abc\" is not a number"));
    EXPECT_TRUE(device.calls().empty());
    EXPECT_EQ(w().windowTitle(), "Quorvel v3");

    // One bad box is enough, and a negative box elsewhere is left as it is.
    w().Text2->setText("--5");
    w().Text3->setText("-1");
    w().Text4->setText("300");
    w().cmdTone_Click();
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_THAT(messages.shown().back().text, HasSubstr("Single tone duration: \"--5\""));
    EXPECT_THAT(messages.shown().back().text, ::testing::Not(HasSubstr("Pause")));
    EXPECT_EQ(w().Text3->text(), "-1");
    EXPECT_TRUE(device.calls().empty());
}

TEST_F(SendTest, SymbolsWithNoSetSelectedAreRefused)
{
    // Before the load nothing is selected.
    window.reset();
    frmTone& fresh = create();
    fresh.cmdTone_Click();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().text, "Select a tone set first.");
    EXPECT_EQ(messages.shown().front().title, "Quorvel");
    EXPECT_TRUE(device.calls().empty());
    // Blanks look nothing up: they play as pauses.
    device.doneOnWrite = true;
    fresh.Text1->setText("  ");
    fresh.cmdTone_Click();
    EXPECT_EQ(opens(), 1);
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST_F(SendTest, ASendDuringAPlayPlaysNothingAndShowsThePreviousTime)
{
    playEndsOnPass(1, 1234);
    w().cmdTone_Click();
    ASSERT_EQ(w().windowTitle(), "Quorvel v3 - 1234mS");

    std::string nestedCaption;
    events.onPass = [&](int pass) {
        if (pass == 10) {
            w().Text2->setText("-7");
            w().cmdTone_Click();
            nestedCaption = w().windowTitle().toStdString();
        }
        if (pass == 20) {
            ticks.advance(500);
            device.setDone();
        }
    };
    w().cmdTone_Click();
    EXPECT_EQ(nestedCaption, "Quorvel v3 - 1234mS");
    EXPECT_EQ(w().Text2->text(), "0"); // the nested Send still normalised the boxes
    EXPECT_EQ(opens(), 2);
    EXPECT_EQ(w().windowTitle(), "Quorvel v3 - 500mS");
}

TEST_F(SendTest, SelectorAndOptionWorkDuringAPlay)
{
    bool playing = false;
    events.onPass = [&](int pass) {
        if (pass == 1) {
            playing = m.Playing;
            w().setListIndex(3);
            w().chkE->click();
        }
        if (pass == 2)
            device.setDone();
    };
    w().cmdTone_Click();
    EXPECT_TRUE(playing);
    EXPECT_EQ(w().Text2->text(), "120");
    EXPECT_TRUE(m.UseRepeatTone);
}

TEST_F(SendTest, ACloseDuringAPlayIsRefusedAndOneAfterItGoesThrough)
{
    w().show();
    bool closed = true;
    bool messageWhilePlaying = false;
    messages.onShow = [&](const RecordingMessages::Shown&) { messageWhilePlaying = m.Playing; };
    events.onPass = [&](int pass) {
        if (pass == 1)
            closed = w().close();
        if (pass == 2)
            device.setDone();
    };
    w().cmdTone_Click();
    EXPECT_FALSE(closed);
    EXPECT_TRUE(messageWhilePlaying);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().text,
              "Please wait end of sound before closing application.");
    EXPECT_EQ(messages.shown().front().title, "Quorvel");
    EXPECT_EQ(messages.shown().front().icon, Icon::Information);
    EXPECT_TRUE(w().isVisible());
    EXPECT_FALSE(w().Form_QueryUnload());

    w().Text1->setText("77");
    dir.write("Quorvel.ini", "");
    EXPECT_TRUE(w().close());
    EXPECT_FALSE(w().isVisible());
    EXPECT_EQ(dir.read("Quorvel.ini"), "0,0,2,\"77\",\"70\",\"0\",\"300\",0\r\n");
}

TEST_F(SendTest, AfterAFailedOpenTheCaptionKeepsThePreviousTime)
{
    playEndsOnPass(1, 42);
    w().cmdTone_Click();
    device.failStep("open", 4);
    w().cmdTone_Click();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().text, "1. waveOutOpen failed -  4");
    EXPECT_EQ(w().windowTitle(), "Quorvel v3 - 42mS");
    EXPECT_FALSE(m.Playing);
}

} // namespace

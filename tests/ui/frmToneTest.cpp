// The window's handlers over the recording fake of its controls: no display, no device.
#include "frmTone.h"

#include "../files/TempDir.h"
#include "RecordingFormView.h"
#include "RecordingMessages.h"
#include "RecordingPlayer.h"
#include "modTone.h"

#include <gtest/gtest.h>
#include <sys/fsuid.h>

using Control = FormView::Control;
using Icon = Messages::Icon;

// The handlers in a fresh current directory whose TONESETS.INI holds four file sets,
// entries 2 to 5, with the durations 80, 120, -5 and 0.
class Handlers : public ::testing::Test
{
protected:
    Handlers()
    {
        std::filesystem::current_path(dir.file(""));
        dir.write("TONESETS.INI", ">A,80\r\n1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
                                  ">B,120\r\n2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2\r\n"
                                  ">caf\xE9,-5\r\n3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3\r\n"
                                  ">D,0\r\n4,4,4,4,4,4,4,4,4,4,4,4,4,4,4,4\r\n");
    }
    void load()
    {
        form.Form_Load();
        view.takeLog();
    }
    // The user picks an entry, or clicks the option to the value given.
    void pick(int index)
    {
        view.index = index;
        form.cmbTone_Click();
    }
    void click(std::int16_t value)
    {
        view.check = value;
        form.chkE_Click();
    }
    std::string shown(Control control) const { return view.texts.at(control); }
    void expectLast(std::size_t count, const std::string& text, const std::string& title, Icon icon)
    {
        ASSERT_EQ(messages.shown().size(), count);
        const auto& last = messages.shown().back();
        EXPECT_EQ(std::tie(last.text, last.title, last.icon), std::tie(text, title, icon));
    }

    TempDir dir;
    modTone m;
    RecordingFormView view;
    RecordingMessages messages;
    RecordingPlayer player{m};
    frmTone form{m, player, messages, view};
};

TEST_F(Handlers, PresetsFollowTheStateTableAndTheOptionKeepsTheRepeatToneFlag)
{
    load(); // set A, with the default texts
    view.texts[Control::Text3] = "25";
    click(1);
    EXPECT_TRUE(m.UseRepeatTone);
    // Each step: the pick, what the handler changed in order, and the option's state after.
    const struct {
        int index;
        const char* changes;
        bool enabled, repeatTone;
    } walk[] = {
        // Free to DTMF: the user's values are saved before the option is cleared.
        {1, "chkE=0 chkE off Text2=250 Text3=70", false, false},
        // DTMF to DTMF: only the presets; the edit of Text3 under the preset is lost below.
        {0, "Text2=100 Text3=60", false, false},
        // DTMF to a file set: the values from before the first DTMF pick come back.
        {3, "Text3=25 chkE=1 Text2=120 chkE on", true, true},
        // File set to file set: Text3 and the option stay; negative and zero durations.
        {4, "Text2=-5 chkE on", true, true},
        {5, "Text2=0 chkE on", true, true},
        // Picking the current entry again runs the handler again.
        {5, "Text2=0 chkE on", true, true},
    };
    for (const auto& step : walk) {
        view.texts[Control::Text2] = "999"; // every pick overwrites what was typed
        view.texts[Control::Text3] = step.index == 0 ? "33" : shown(Control::Text3);
        pick(step.index);
        EXPECT_EQ(view.takeLog(), step.changes) << step.index;
        EXPECT_EQ(std::tuple(view.isEnabled(Control::chkE), m.UseRepeatTone),
                  std::tuple(step.enabled, step.repeatTone))
            << step.index;
    }
    EXPECT_EQ(std::tuple(shown(Control::Text1), shown(Control::Text4)),
              std::tuple("0123456789ABCDEF", "300"));
    // A greyed option counts as on.
    click(2);
    EXPECT_TRUE(m.UseRepeatTone);
    click(0);
    EXPECT_FALSE(m.UseRepeatTone);
    // With nothing selected no preset applies.
    pick(-1);
    EXPECT_EQ(view.takeLog(), "");
}

TEST_F(Handlers, SettingTheSelectorOrADifferentCheckValueByCodeRunsItsHandler)
{
    load();
    view.texts[Control::Text2] = "999";
    EXPECT_TRUE(form.setListIndex(2)); // the index it has
    EXPECT_EQ(view.takeLog(), "index 2 Text2=80 chkE on");
    EXPECT_FALSE(form.setListIndex(-2));
    EXPECT_FALSE(form.setListIndex(view.entryCount()));
    EXPECT_TRUE(form.setListIndex(-1));
    EXPECT_EQ(view.takeLog(), "index -1");

    m.UseRepeatTone = true; // out of step, to see whether chkE_Click runs
    EXPECT_TRUE(form.setCheckValue(0));
    EXPECT_TRUE(m.UseRepeatTone);
    EXPECT_FALSE(form.setCheckValue(3));
    EXPECT_EQ(view.takeLog(), "");
    EXPECT_TRUE(form.setCheckValue(2));
    EXPECT_EQ(std::tuple(view.takeLog(), m.UseRepeatTone), std::tuple("chkE=2", true));
}

TEST_F(Handlers, LoadAppliesTheFilesAfterThePresetsAndUnloadWritesWhatTheControlsShow)
{
    // No tone sets: DTMF1 whatever was saved, the message titled with the caption before any
    // Send; the saved texts win over DTMF1's presets, and the option stays locked yet on.
    std::filesystem::remove("TONESETS.INI");
    dir.write("Quorvel.ini", "-300,2100,1,\"12 3\",\"70\",\"5\",\"300\",1\r\n");
    std::string captionAtMessage;
    messages.onShow = [&](auto&) { captionAtMessage = view.windowCaption; };
    form.Form_Load();
    expectLast(1, "No Toneset Definition found. Forced DTMF only.", "Quorvel v3",
               Icon::Information);
    EXPECT_EQ(captionAtMessage, "Quorvel v3");
    EXPECT_EQ(view.takeLog(), "caption=Quorvel v3 index 0 chkE off Text2=100 Text3=60 Text1=12 3 "
                              "Text2=70 Text3=5 Text4=300 chkE=1");
    EXPECT_EQ(std::tuple(view.x, view.y, view.isEnabled(Control::chkE), m.UseRepeatTone),
              std::tuple(-300.0f, 2100.0f, false, true));
    EXPECT_EQ((std::pair<int, int>(m.Tones[0][0], m.Tones[1][0])), std::pair(941, 1336)); // DTMF
    form.Form_Unload();
    EXPECT_EQ(dir.read("Quorvel.ini"), "-300,2100,0,\"12 3\",\"70\",\"5\",\"300\",1\r\n");

    // The first run creates the default record. Texts go back to the file as they were read,
    // Latin-1 bytes included; an entry's Latin-1 name is shown as its character.
    dir.write("TONESETS.INI", ">A,80\r\n1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
                              ">caf\xE9,-5\r\n3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3\r\n");
    std::filesystem::remove("Quorvel.ini");
    RecordingFormView fresh;
    frmTone second(m, player, messages, fresh);
    second.Form_Load();
    EXPECT_EQ(dir.read("Quorvel.ini"), "0,0,2,\"0123456789ABCDEF\",\"70\",\"0\",\"300\",0\r\n");
    EXPECT_EQ(std::tuple(fresh.index, fresh.entries.at(3).first, fresh.entries.at(3).second),
              std::tuple(2, "café", -5));
    second.setText(1, "12 3, \"x\" caf\xE9");
    EXPECT_EQ(fresh.texts[Control::Text1], "12 3, \"x\" café");
    second.setText(4, "caf\xC3\xA9"); // UTF-8 stays UTF-8
    second.Form_Unload();
    EXPECT_EQ(dir.read("Quorvel.ini"),
              "0,0,2,\"12 3, \"\"x\"\" caf\xE9\",\"70\",\"0\",\"caf\xC3\xA9\",0\r\n");
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST_F(Handlers, AReadOnlyDirectoryCostsOneMessageAtLoadAndOneAtClose)
{
    // Root passes over permission bits, so its file accesses also run as nobody meanwhile.
    std::filesystem::permissions(".", std::filesystem::perms(0555));
    const int previousFsuid = setfsuid(65534);
    load();
    expectLast(1,
               "The settings file Quorvel.ini cannot be written: Permission denied.\n"
               "Quorvel goes on with the default settings.",
               "Quorvel v3", Icon::Information);
    EXPECT_EQ(view.index, 2); // the defaults
    form.Form_Unload();
    setfsuid(previousFsuid);
    std::filesystem::permissions(".", std::filesystem::perms(0755));
    expectLast(2,
               "The settings file Quorvel.ini cannot be written: Permission denied.\n"
               "The window's settings of this run are not saved.",
               "Quorvel v3", Icon::Information);
    EXPECT_FALSE(std::filesystem::exists("Quorvel.ini"));
}

TEST_F(Handlers, SendZeroesNegativesPlaysWithTheBoxesAndShowsThePlayTime)
{
    load();
    player.setToneSetIndexSource({}); // the player reads the selector through the form
    frmTone reader(m, player, messages, view);
    view.index = 3;
    EXPECT_EQ(player.toneSetIndex(), 3);

    view.texts[Control::Text1] = "12 3";
    view.texts[Control::Text2] = "-5";
    view.texts[Control::Text3] = "12.5";
    view.texts[Control::Text4] = "-0.5";
    player.elapsedMs = 1234;
    form.cmdTone_Click();
    EXPECT_EQ(view.takeLog(), "Text2=0 Text4=0 caption=Quorvel v3 - 1234mS");
    ASSERT_EQ(player.plays.size(), 1u);
    const auto& play = player.plays.back();
    EXPECT_EQ(std::tuple(play.sequence, play.toneDuration, play.tonePause, play.sequencePause),
              std::tuple("12 3", 0.0, 0.0125, 0.0));
    EXPECT_EQ(std::tuple(m.SampleRate, m.ToneSamples, m.TonePauseSamples),
              std::tuple(22050, 0, 276));

    // An empty sequence plays nothing and still sets the caption.
    view.texts[Control::Text1] = "";
    player.elapsedMs = 99;
    form.cmdTone_Click();
    EXPECT_EQ(std::tuple(player.plays.back().started, view.windowCaption),
              std::tuple(false, "Quorvel v3 - 1234mS"));

    // Boxes that hold no number, or one too long for a sound: one message, nothing sent.
    view.takeLog();
    view.texts[Control::Text1] = "1";
    view.texts[Control::Text2] = "1e3";
    view.texts[Control::Text4] = "99999999";
    form.cmdTone_Click();
    expectLast(1,
               "Single tone duration: \"1e3\" is not a number of milliseconds.\r\n"
               "Pause between sequences: \"99999999\" is too long for one sound.\r\n"
               "Type a number of milliseconds, such as 70 or 12.5. Nothing was sent.",
               "Quorvel", Icon::Information);
    EXPECT_EQ(std::tuple(player.plays.size(), view.takeLog()), std::tuple(2u, ""));

    // No set selected: symbols cannot sound, blanks can.
    view.texts[Control::Text2] = "70";
    view.texts[Control::Text4] = "300";
    view.index = -1;
    form.cmdTone_Click();
    expectLast(2, "Select a tone set first.", "Quorvel", Icon::Information);
    view.texts[Control::Text1] = "  ";
    form.cmdTone_Click();
    EXPECT_EQ(player.plays.size(), 3u);
}

TEST_F(Handlers, DuringAPlayASendPlaysNothingACloseIsRefusedAndAnOutsideCloseWaits)
{
    load();
    view.texts[Control::Text2] = "-5";
    player.elapsedMs = 700;
    bool refused = false, stoppable = false;
    player.onPlay = [&] {
        form.cmdTone_Click(); // normalises the boxes, plays nothing, shows the previous time
        EXPECT_EQ(std::tuple(shown(Control::Text2), view.windowCaption),
                  std::tuple("0", "Quorvel v3 - 0mS"));
        refused = form.Form_QueryUnload();
        stoppable = form.playStoppable();
    };
    form.cmdTone_Click();
    EXPECT_TRUE(refused && stoppable);
    expectLast(1, "Please wait end of sound before closing application.", "Quorvel",
               Icon::Information);
    EXPECT_EQ(std::tuple(player.plays.size(), player.plays[1].started, view.windowCaption),
              std::tuple(2u, false, "Quorvel v3 - 700mS"));
    EXPECT_FALSE(form.Form_QueryUnload());
    EXPECT_FALSE(form.playStoppable());

    // A close from outside during a play stops it, and closes once the Send has unwound.
    view.takeLog();
    player.onPlay = [&] {
        form.closeFromOutside();
        EXPECT_EQ(std::tuple(view.takeLog(), player.stops), std::tuple("dismiss", 1));
    };
    form.cmdTone_Click();
    EXPECT_EQ(view.takeLog(), "caption=Quorvel v3 - 700mS close");
    // Idle, it closes at once; a keyed send counts as a play while it waits for its line.
    form.closeFromOutside();
    EXPECT_EQ(view.takeLog(), "dismiss close");
    player.keyed = true;
    m.Playing = true;
    EXPECT_TRUE(form.Form_QueryUnload());
    m.Playing = false;
    EXPECT_EQ(messages.shown().size(), 2u);
}

TEST_F(Handlers, TheSequenceBoxKeepsSymbolsUpperCasedAndSendsOnEnter)
{
    load();
    std::string kept;
    for (const char typed : std::string("09afAFgG*#-. \b\x01\x1B")) {
        int KeyAscii = static_cast<unsigned char>(typed);
        form.Text1_KeyPress(KeyAscii);
        if (KeyAscii != 0)
            kept += static_cast<char>(KeyAscii);
    }
    EXPECT_EQ(kept, "09AFAF \b");
    EXPECT_TRUE(player.plays.empty());
    int enter = 13;
    form.Text1_KeyPress(enter);
    EXPECT_EQ(std::tuple(enter, player.plays.size()), std::tuple(0, 1u));
    view.takeLog();

    // The length label counts characters, blanks included; a click in a duration box selects
    // its text.
    view.texts[Control::Text1] = "12 3é";
    form.Text1_KeyUp();
    form.Text1_Click();
    form.Text3_Click();
    EXPECT_EQ(view.takeLog(), "Label3=Tone Sequence (5 car.) Label3=Tone Sequence (5 car.) keys");
}

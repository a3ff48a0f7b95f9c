#include "frmTone.h"

#include "../files/TempDir.h"
#include "FakeEventPump.h"
#include "FakeTickCounter.h"
#include "FakeWaveOut.h"
#include "Main.h"
#include "PlaybackCycle.h"
#include "RecordingMessages.h"
#include "RepeatCheckBox.h"
#include "modTone.h"

#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>
#include <sys/fsuid.h>

using Icon = Messages::Icon;

// The window over fakes, in a fresh current directory whose TONESETS.INI holds two file sets,
// entries 2 and 3, with the durations 80 and 120.
class WindowTest : public ::testing::Test
{
protected:
    WindowTest()
    {
        static int argc = 1;
        static char name[] = "quorvel-ui-test", *argv[] = {name, nullptr};
        // Made by the first test, not at start, so that listing the tests needs no display.
        [[maybe_unused]] static auto* app = new QApplication(argc, argv);
        std::filesystem::current_path(dir.file(""));
        dir.write("TONESETS.INI", ">A,80\r\n1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
                                  ">B,120\r\n2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2\r\n");
    }
    frmTone& load()
    {
        window = std::make_unique<frmTone>(m, cycle, messages);
        window->Form_Load();
        return *window;
    }
    // There have been count messages, the last one being this one.
    void expectLast(std::size_t count, const std::string& text, const std::string& title, Icon icon)
    {
        ASSERT_EQ(messages.shown().size(), count);
        const auto& last = messages.shown().back();
        EXPECT_EQ(std::tie(last.text, last.title, last.icon), std::tie(text, title, icon));
    }

    TempDir dir;
    modTone m;
    FakeWaveOut device;
    FakeTickCounter ticks;
    RecordingMessages messages;
    FakeEventPump events;
    PlaybackCycle cycle{m, device, ticks, messages, events};
    std::unique_ptr<frmTone> window;
};

// Name, left, top, width and height in twips of every control, in creation order.
const std::tuple<const char*, int, int, int, int> kLayout[] = {
    {"Text4", 3400, 920, 470, 285},   {"chkE", 100, 600, 1450, 195},
    {"cmbTone", 50, 210, 1575, 315},  {"Text3", 3010, 920, 375, 285},
    {"Text2", 3400, 570, 470, 285},   {"cmdTone", 100, 845, 1450, 350},
    {"Text1", 1800, 210, 2295, 295},  {"Label6", 285, 0, 1215, 255},
    {"Label5", 1800, 945, 1335, 255}, {"Label4", 1800, 600, 1695, 255},
    {"Label3", 2040, 0, 1935, 255},   {"Label2", 3865, 945, 255, 255},
    {"Label1", 3865, 600, 255, 255}};

TEST_F(WindowTest, StartUpChecksTheDeviceThenLoadsHiddenAndShowsTheDesignedWindow)
{
    device.inputDevices = device.outputCount = 0;
    EXPECT_EQ(Main(m, cycle, messages), nullptr);
    expectLast(1, "Questo PC non ha schede audio.\r\nIl programma verrà ora chiuso.", "Quorvel",
               Icon::Critical);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_FALSE(std::filesystem::exists("Quorvel.ini"));

    device.inputDevices = 1;
    std::filesystem::remove("TONESETS.INI");
    dir.write("Quorvel.ini", "0,0,0,\"0\",\"70\",\"0\",\"300\",1\r\n"); // DTMF1, ticked
    bool shownEarly = true;
    messages.onShow = [&](auto&) { shownEarly = qApp->topLevelWidgets().front()->isVisible(); };
    window = Main(m, cycle, messages);
    expectLast(2, "No Toneset Definition found. Forced DTMF only.", "Quorvel v3",
               Icon::Information);
    EXPECT_FALSE(shownEarly);
    EXPECT_EQ(window->windowTitle(), "Quorvel v3");
    // DTMF1's handler ran before the saved values came back: they win, and the option stays
    // locked yet ticked and on.
    EXPECT_EQ(std::tuple(window->Text2->text(), window->chkE->isEnabled(), window->chkE->value(),
                         m.UseRepeatTone),
              std::tuple("70", false, 1, true));

    const auto px = [](int twips) { return qRound(twips / 15.0); };
    EXPECT_EQ(window->size(), QSize(px(4140), px(1230)));
    for (const auto& [name, left, top, width, height] : kLayout)
        EXPECT_EQ(window->findChild<QWidget*>(name)->geometry(),
                  QRect(px(left), px(top), px(width), px(height)))
            << name;
    EXPECT_EQ(std::tuple(window->Text1->maxLength(), window->Text2->maxLength(),
                         window->Text3->maxLength(), window->Text4->maxLength()),
              std::tuple(1024, 4, 3, 4));

    // Tab from Text1, which has the focus, passing over chkE while it is disabled.
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const auto walk = [] {
        QStringList names;
        for (int i = 0; i < 7; ++i, names << QApplication::focusWidget()->objectName())
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return names.join(' ');
    };
    EXPECT_EQ(walk(), "cmdTone Text2 Text3 cmbTone Text4 Text1 cmdTone");
    window->chkE->setEnabled(true);
    EXPECT_EQ(walk(), "Text2 Text3 cmbTone chkE Text4 Text1 cmdTone");
}

TEST_F(WindowTest, SendTakesTypedSymbolsZeroesNegativesAndDuringAPlayPlaysNothingNorCloses)
{
    frmTone& w = load();
    events.onPass = [&](int pass) {
        if (pass != 2) { // the end of a play
            ticks.advance(pass == 1 ? 1234 : 250);
            return device.setDone();
        }
        w.cmdTone_Click(); // a Send and a close during the second play
        EXPECT_EQ(w.windowTitle(), "Quorvel v3 - 1234mS");
        EXPECT_FALSE(w.close());
    };
    w.Text2->setText("-5");
    w.Text4->setText("1-2");
    w.cmdTone_Click(); // refused: nothing is opened
    expectLast(1,
               "Pause between sequences: \"1-2\" is not a number of milliseconds.\r\n"
               "Type a number of milliseconds, such as 70 or 12.5. Nothing was sent.",
               "Quorvel", Icon::Information);

    w.Text4->setText("300");
    QTest::keyClicks(w.Text1, "1b G*.c");
    QTest::keyClick(w.Text1, Qt::Key_Backspace);
    EXPECT_EQ(w.Label3->text(), "Tone Sequence (19 car.)");
    QTest::keyClick(w.Text1, Qt::Key_Return); // sends, inserting nothing
    EXPECT_EQ(w.Text1->text(), "0123456789ABCDEF1B ");
    EXPECT_EQ(w.Text2->text(), "0");
    EXPECT_EQ(w.windowTitle(), "Quorvel v3 - 1234mS");
    w.cmdTone_Click();
    expectLast(2, "Please wait end of sound before closing application.", "Quorvel",
               Icon::Information);
    EXPECT_EQ(device.steps().size(), 10u); // two plays of five steps
    EXPECT_EQ(w.windowTitle(), "Quorvel v3 - 250mS");
    EXPECT_TRUE(w.close());
}

TEST_F(WindowTest, DtmfPresetsLockTheOptionAndTheSettingsBringTheWindowBackAsItWasClosed)
{
    frmTone& first = load(); // file set 2
    first.Text3->setText("25");
    first.chkE->click();
    // DTMF2, DTMF1 (the values saved at the first DTMF choice stay), then a file set.
    const std::tuple<int, const char*, const char*, int, bool> walk[] = {
        {1, "250", "70", 0, false}, {0, "100", "60", 0, false}, {3, "120", "25", 1, true}};
    for (const auto& [index, text2, text3, check, enabled] : walk) {
        first.cmbTone->setCurrentIndex(index);
        EXPECT_EQ(std::tuple(first.Text2->text(), first.Text3->text(), first.chkE->value(),
                             first.chkE->isEnabled(), m.UseRepeatTone),
                  std::tuple(text2, text3, check, enabled, check != 0))
            << index;
        first.Text3->setText("33"); // an edit under a DTMF preset is lost
    }

    first.move(-20, 140); // twips -300 and 2100
    first.Text1->setText("12 3, \"x\"");
    const auto state = [this](const frmTone& w) {
        return std::tuple(w.pos(), w.cmbTone->currentIndex(), w.Text1->text(), w.Text2->text(),
                          w.Text3->text(), w.Text4->text(), w.chkE->value(), m.UseRepeatTone);
    };
    const auto closed = state(first);
    ASSERT_TRUE(first.close());
    EXPECT_EQ(dir.read("Quorvel.ini"),
              "-300,2100,3,\"12 3, \"\"x\"\"\",\"120\",\"33\",\"300\",1\r\n");
    m.UseRepeatTone = false; // as in a new run
    EXPECT_EQ(state(load()), closed);
}

TEST_F(WindowTest, AReadOnlyDirectoryCostsOneMessageAtLoadAndOneAtClose)
{
    // Root passes over permission bits, so its file accesses also run as nobody meanwhile.
    std::filesystem::permissions(".", std::filesystem::perms(0555));
    const int previousFsuid = setfsuid(65534);
    load();
    expectLast(1,
               "The settings file Quorvel.ini cannot be written: Permission denied.\n"
               "Quorvel goes on with the default settings.",
               "Quorvel v3", Icon::Information);
    EXPECT_EQ(window->cmbTone->currentIndex(), 2); // the defaults
    EXPECT_TRUE(window->close());
    setfsuid(previousFsuid);
    std::filesystem::permissions(".", std::filesystem::perms(0755));
    expectLast(2,
               "The settings file Quorvel.ini cannot be written: Permission denied.\n"
               "The window's settings of this run are not saved.",
               "Quorvel v3", Icon::Information);
    EXPECT_FALSE(std::filesystem::exists("Quorvel.ini"));
}

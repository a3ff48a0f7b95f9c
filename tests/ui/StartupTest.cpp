#include "Main.h"
#include "RepeatCheckBox.h"
#include "ToneSetFile.h"
#include "WindowFixture.h"

#include <QTest>

using Icon = Messages::Icon;

namespace
{

using StartupTest = WindowTest;

bool anyWindowVisible()
{
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](QWidget* w) { return qobject_cast<frmTone*>(w) && w->isVisible(); });
}

bool anyWindowExists()
{
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](QWidget* w) { return qobject_cast<frmTone*>(w) != nullptr; });
}

TEST_F(StartupTest, WithoutASoundDeviceTheMessageComesAndNoWindow)
{
    device.inputDevices = 0;
    device.outputDevices = 0;
    dir.write("TONESETS.INI", kTwoSets);
    EXPECT_EQ(Main(m, cycle, messages), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().text,
              "Questo PC non ha schede audio.\r\nIl programma verrà ora chiuso.");
    EXPECT_EQ(messages.shown().front().title, "Quorvel");
    EXPECT_EQ(messages.shown().front().icon, Icon::Critical);
    EXPECT_FALSE(anyWindowExists());
    EXPECT_FALSE(std::filesystem::exists(dir.file("Quorvel.ini")));
}

TEST_F(StartupTest, TheWindowLoadsHiddenThenShowsWithTheFocusInTheSequenceBox)
{
    // No TONESETS.INI: its message comes while the window is still hidden, titled as the caption.
    bool visibleDuringMessage = true;
    messages.onShow = [&](const RecordingMessages::Shown&) {
        visibleDuringMessage = anyWindowVisible();
    };
    window = Main(m, cycle, messages);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().text, "No Toneset Definition found. Forced DTMF only.");
    EXPECT_EQ(messages.shown().front().title, "Quorvel v3");
    EXPECT_EQ(messages.shown().front().icon, Icon::Information);
    EXPECT_FALSE(visibleDuringMessage);

    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Quorvel v3");
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(QApplication::focusWidget(), window->Text1);

    // DTMF rows in the table, DTMF1 selected, the default record created and shown.
    EXPECT_EQ(m.Tones[0][1], 697);
    EXPECT_EQ(m.Tones[1][1], 1209);
    EXPECT_EQ(window->cmbTone->count(), 2);
    EXPECT_EQ(window->cmbTone->currentIndex(), 0);
    EXPECT_EQ(dir.read("Quorvel.ini").size(), 43u);
    EXPECT_EQ(window->Text1->text(), "0123456789ABCDEF");
    EXPECT_EQ(window->Text2->text(), "70");
    EXPECT_EQ(window->Text3->text(), "0");
    EXPECT_EQ(window->Text4->text(), "300");
    EXPECT_EQ(window->pos(), QPoint(0, 0));
}

TEST_F(StartupTest, FileSetsFillTheSelectorAndTheFirstIsChosenOnTheFirstRun)
{
    load();
    EXPECT_TRUE(messages.shown().empty());
    ASSERT_EQ(window->cmbTone->count(), 4);
    EXPECT_EQ(window->cmbTone->itemText(2), "Set A");
    EXPECT_EQ(window->cmbTone->itemData(3).toInt(), 120);
    EXPECT_EQ(m.Tones[3][15], 600);
    EXPECT_EQ(window->cmbTone->currentIndex(), 2);
    EXPECT_EQ(window->Text2->text(), "70"); // the saved text wins over the set's duration
    EXPECT_TRUE(window->chkE->isEnabled());
}

TEST_F(StartupTest, ProblemsOfTheToneSetFileComeInOneBox)
{
    load(std::string(kTwoSets) + ">Bad,1x\r\n1,2\r\n>Cut,5,1\r\n");
    ASSERT_EQ(messages.shown().size(), 1u);
    const auto& shown = messages.shown().front();
    EXPECT_EQ(shown.title, "Quorvel v3");
    EXPECT_EQ(shown.icon, Icon::Information);
    EXPECT_NE(shown.text.find("Bad"), std::string::npos) << shown.text;
    EXPECT_NE(shown.text.find("Cut"), std::string::npos) << shown.text;
    EXPECT_EQ(window->cmbTone->count(), 4); // the good sets stay
}

} // namespace

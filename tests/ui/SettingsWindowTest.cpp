#include "ReadOnlyDir.h"
#include "RepeatCheckBox.h"
#include "WindowFixture.h"

#include <gmock/gmock.h>

using ::testing::HasSubstr;
using Icon = Messages::Icon;

namespace
{

class SettingsWindowTest : public WindowTest
{
protected:
    // Closes the window (saving the settings) and starts a new one in the same directory.
    frmTone& restart()
    {
        EXPECT_TRUE(window->close());
        window.reset();
        create().Form_Load();
        return *window;
    }
};

TEST_F(SettingsWindowTest, TheWindowComesBackAsItWasClosed)
{
    frmTone& first = load();
    first.move(-20, 140); // twips -300 and 2100: partly off the left edge
    first.setListIndex(3);
    first.Text1->setText("12 3, \"x\"");
    first.Text2->setText("95");
    first.Text3->setText("25");
    first.Text4->setText("1,5");
    first.chkE->click();

    frmTone& second = restart();
    EXPECT_EQ(dir.read("Quorvel.ini"),
              "-300,2100,3,\"12 3, \"\"x\"\"\",\"95\",\"25\",\"1,5\",1\r\n");
    EXPECT_EQ(second.pos(), QPoint(-20, 140));
    EXPECT_EQ(second.cmbTone->currentIndex(), 3);
    EXPECT_EQ(second.Text1->text(), "12 3, \"x\"");
    EXPECT_EQ(second.Text2->text(), "95");
    EXPECT_EQ(second.Text3->text(), "25");
    EXPECT_EQ(second.Text4->text(), "1,5");
    EXPECT_EQ(second.chkE->value(), 1);
    EXPECT_TRUE(m.UseRepeatTone);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(SettingsWindowTest, ASavedDtmf2NeedsFileSets)
{
    const std::string record = "0,0,1,\"5\",\"11\",\"22\",\"33\",0\r\n";
    frmTone& withSets = load(kTwoSets, record);
    EXPECT_EQ(withSets.cmbTone->currentIndex(), 1);
    EXPECT_EQ(withSets.Text2->text(), "11"); // the saved texts, not the DTMF2 presets
    EXPECT_EQ(withSets.Text3->text(), "22");
    EXPECT_FALSE(withSets.chkE->isEnabled());

    window.reset();
    std::filesystem::remove(dir.file("TONESETS.INI"));
    frmTone& withoutSets = load("", record);
    EXPECT_EQ(withoutSets.cmbTone->currentIndex(), 0);
    EXPECT_EQ(withoutSets.Text2->text(), "11");
}

TEST_F(SettingsWindowTest, DtmfWithASavedTickIsDisabledButTicked)
{
    frmTone& w = load(kTwoSets, "0,0,0,\"5\",\"70\",\"0\",\"300\",1\r\n");
    EXPECT_EQ(w.cmbTone->currentIndex(), 0);
    EXPECT_FALSE(w.chkE->isEnabled());
    EXPECT_EQ(w.chkE->checkState(), Qt::Checked);
    EXPECT_TRUE(m.UseRepeatTone);
    // The values kept aside at load are the design values: "0" and clear.
    w.setListIndex(2);
    EXPECT_EQ(w.Text3->text(), "0");
    EXPECT_EQ(w.chkE->value(), 0);
    EXPECT_FALSE(m.UseRepeatTone);
}

TEST_F(SettingsWindowTest, AReadOnlyDirectoryCostsOneMessageAtLoadAndOneAtClose)
{
    dir.write("TONESETS.INI", kTwoSets);
    {
        ReadOnlyDir readOnly(dir.file(""));
        create().Form_Load();
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].title, "Quorvel v3");
        EXPECT_EQ(messages.shown()[0].icon, Icon::Information);
        EXPECT_THAT(messages.shown()[0].text, HasSubstr("Quorvel.ini"));
        EXPECT_THAT(messages.shown()[0].text, HasSubstr("Permission denied"));
        // The defaults, with the first file set.
        EXPECT_EQ(window->cmbTone->currentIndex(), 2);
        EXPECT_EQ(window->Text4->text(), "300");

        window->Text1->setText("9");
        EXPECT_TRUE(window->close());
        ASSERT_EQ(messages.shown().size(), 2u);
        EXPECT_THAT(messages.shown()[1].text,
                    HasSubstr("Quorvel.ini cannot be written: Permission denied"));
        EXPECT_EQ(messages.shown()[1].icon, Icon::Information);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("Quorvel.ini")));
}

} // namespace

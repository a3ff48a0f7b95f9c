#include "RepeatCheckBox.h"
#include "WindowFixture.h"

#include <QTest>

namespace
{

// Entries 2 and 3 are file sets with the durations 80 and 120; the window starts on entry 2.
class PresetTest : public WindowTest
{
protected:
    PresetTest() { load(); }

    frmTone& w() { return *window; }
    // A user's pick in the drop-down list: a change, when there is one, then the activation.
    void pick(int index)
    {
        w().cmbTone->setCurrentIndex(index);
        emit w().cmbTone->activated(index);
    }
    void clickCheckBox() { QTest::mouseClick(w().chkE, Qt::LeftButton, {}, QPoint(5, 6)); }
};

TEST_F(PresetTest, DtmfPresetsLockTheOptionAndAFileSetGivesTheUsersValuesBack)
{
    pick(3);
    w().Text3->setText("25");
    clickCheckBox();
    ASSERT_EQ(w().chkE->value(), 1);
    EXPECT_TRUE(m.UseRepeatTone);
    w().Text4->setText("444");

    pick(1); // DTMF2
    EXPECT_EQ(w().Text2->text(), "250");
    EXPECT_EQ(w().Text3->text(), "70");
    EXPECT_EQ(w().chkE->value(), 0);
    EXPECT_FALSE(w().chkE->isEnabled());
    EXPECT_FALSE(m.UseRepeatTone);

    w().Text3->setText("33"); // an edit under a DTMF preset is lost
    pick(0);                  // DTMF1: the values saved at the first DTMF choice stay
    EXPECT_EQ(w().Text2->text(), "100");
    EXPECT_EQ(w().Text3->text(), "60");
    EXPECT_FALSE(w().chkE->isEnabled());

    pick(2); // back to a file set, duration 80
    EXPECT_EQ(w().Text3->text(), "25");
    EXPECT_EQ(w().chkE->value(), 1);
    EXPECT_TRUE(w().chkE->isEnabled());
    EXPECT_TRUE(m.UseRepeatTone);
    EXPECT_EQ(w().Text2->text(), "80");
    EXPECT_EQ(w().Text4->text(), "444");
    EXPECT_EQ(w().Text1->text(), "0123456789ABCDEF");
}

TEST_F(PresetTest, BetweenFileSetsOnlyTheDurationChanges)
{
    w().Text3->setText("25");
    clickCheckBox();
    pick(3);
    EXPECT_EQ(w().Text2->text(), "120");
    EXPECT_EQ(w().Text3->text(), "25");
    EXPECT_EQ(w().chkE->value(), 1);
}

TEST_F(PresetTest, RepickingTheCurrentEntryAppliesItsPresetAgain)
{
    w().Text2->setText("999");
    pick(2);
    EXPECT_EQ(w().Text2->text(), "80");
    // The keyboard changes the entry as the mouse does.
    w().cmbTone->setFocus();
    QTest::keyClick(w().cmbTone, Qt::Key_Down);
    EXPECT_EQ(w().cmbTone->currentIndex(), 3);
    EXPECT_EQ(w().Text2->text(), "120");
}

TEST_F(PresetTest, TheOptionTogglesBetweenClearAndTickedAndCountsGreyAsOn)
{
    clickCheckBox();
    EXPECT_EQ(w().chkE->value(), 1);
    EXPECT_TRUE(m.UseRepeatTone);
    clickCheckBox();
    EXPECT_EQ(w().chkE->value(), 0);
    EXPECT_FALSE(m.UseRepeatTone);

    ASSERT_TRUE(w().setCheckValue(2));
    EXPECT_EQ(w().chkE->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(m.UseRepeatTone);
    clickCheckBox(); // a click never gives 2, and takes a grey box off
    EXPECT_EQ(w().chkE->value(), 0);
    EXPECT_FALSE(w().setCheckValue(3));
    EXPECT_EQ(w().chkE->value(), 0);
}

TEST_F(PresetTest, TheOptionCanBeDisabledWhileChecked)
{
    pick(0);
    ASSERT_TRUE(w().setCheckValue(1));
    EXPECT_FALSE(w().chkE->isEnabled());
    EXPECT_EQ(w().chkE->checkState(), Qt::Checked);
    EXPECT_TRUE(m.UseRepeatTone);
    clickCheckBox(); // disabled: a click does nothing
    EXPECT_EQ(w().chkE->value(), 1);
}

} // namespace

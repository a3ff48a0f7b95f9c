#include "WindowFixture.h"

#include <QTest>

namespace
{

class EntryTest : public WindowTest
{
protected:
    EntryTest()
    {
        load();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->Text1->clear();
    }
    QLineEdit& text1() { return *window->Text1; }
};

TEST_F(EntryTest, TypedLettersAreUpperCasedAndOnlySymbolsAndBlanksKept)
{
    QTest::keyClicks(&text1(), "1b c");
    EXPECT_EQ(text1().text(), "1B C");
    for (const char* dropped : {"G", "g", "*", "#", "-", ".", "z"})
        QTest::keyClicks(&text1(), dropped);
    EXPECT_EQ(text1().text(), "1B C");
    QTest::keyClick(&text1(), Qt::Key_Backspace);
    EXPECT_EQ(text1().text(), "1B ");
    // A keyboard shortcut types a control code, which is dropped too.
    QTest::keyClick(&text1(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&text1(), Qt::Key_1);
    EXPECT_EQ(text1().text(), "1B 1");
    EXPECT_TRUE(device.calls().empty());
}

TEST_F(EntryTest, KeysThatTypeNoCharacterKeepWorking)
{
    QTest::keyClicks(&text1(), "1234");
    QTest::keyClick(&text1(), Qt::Key_Home);
    QTest::keyClick(&text1(), Qt::Key_Delete);
    QTest::keyClick(&text1(), Qt::Key_Right);
    QTest::keyClick(&text1(), Qt::Key_A);
    EXPECT_EQ(text1().text(), "2A34");
    QTest::keyClick(&text1(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(text1().selectedText(), "34");
    QTest::keyClick(&text1(), Qt::Key_Home);
    QTest::keyClick(&text1(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(text1().selectedText(), "2");
}

TEST_F(EntryTest, EnterSendsAndInsertsNothing)
{
    device.doneOnWrite = true;
    QTest::keyClicks(&text1(), "12");
    QTest::keyClick(&text1(), Qt::Key_Return);
    EXPECT_EQ(text1().text(), "12");
    EXPECT_EQ(window->windowTitle(), "Quorvel v3 - 0mS");
    ASSERT_FALSE(device.calls().empty());
    EXPECT_EQ(device.calls().front().step, "open");
    QTest::keyClick(&text1(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(text1().text(), "12");
    EXPECT_EQ(std::count_if(device.calls().begin(), device.calls().end(),
                            [](const auto& call) { return call.step == "write"; }),
              2);
}

TEST_F(EntryTest, LengthLabelFollowsKeyReleaseAndClick)
{
    EXPECT_EQ(window->Label3->text(), "Tone Sequence(s)");
    QTest::keyClicks(&text1(), "12 34");
    EXPECT_EQ(window->Label3->text(), "Tone Sequence (5 car.)");
    // A change by code shows only at the next click.
    text1().setText("0123456789");
    EXPECT_EQ(window->Label3->text(), "Tone Sequence (5 car.)");
    QTest::mouseClick(&text1(), Qt::LeftButton);
    EXPECT_EQ(window->Label3->text(), "Tone Sequence (10 car.)");
}

TEST_F(EntryTest, AClickInADurationBoxSelectsItsWholeText)
{
    for (QLineEdit* box : {window->Text2, window->Text3, window->Text4}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->setText("25");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 3, box->height() / 2));
        QCoreApplication::processEvents();
        EXPECT_EQ(box->selectedText(), "25");
        QTest::keyClicks(box, "9");
        EXPECT_EQ(box->text(), "9");
    }
}

} // namespace

#include "AppIcon.h"
#include "RepeatCheckBox.h"
#include "WindowFixture.h"

#include <QFontMetrics>
#include <QTest>

namespace
{

struct Control {
    const char* name;
    const char* value; // design text or caption
    const char* toolTip;
    int left, top, width, height; // twips
    int maxLength;                // 0: not a text box
};

// The window's controls as designed, in creation order.
const Control kControls[] = {
    {"Text4", "350", "Pausa fra una sequenza e l'altra", 3400, 920, 470, 285, 4},
    {"chkE", "Use repeat tone", "Inserisce il tono 'E' sulle ripetizioni", 100, 600, 1450, 195, 0},
    {"cmbTone", "", "Impostazione tipo di toni", 50, 210, 1575, 315, 0},
    {"Text3", "0", "Pausa tra un tono e l'altro", 3010, 920, 375, 285, 3},
    {"Text2", "50", "Durata di un tono", 3400, 570, 470, 285, 4},
    {"cmdTone", "Send Sequence", "Invia sequenza", 100, 845, 1450, 350, 0},
    {"Text1", "0123456789ABCDEF", "Sequenza da inviare (tasti consentiti: 0...F, Spazio e Invio)",
     1800, 210, 2295, 295, 1024},
    {"Label6", "Select Toneset", "", 285, 0, 1215, 255, 0},
    {"Label5", "Betw. tones/seq", "", 1800, 945, 1335, 255, 0},
    {"Label4", "Single Tone Duration", "", 1800, 600, 1695, 255, 0},
    {"Label3", "Tone Sequence(s)", "", 2040, 0, 1935, 255, 0},
    {"Label2", "mS", "", 3865, 945, 255, 255, 0},
    {"Label1", "mS", "", 3865, 600, 255, 255, 0},
};

int px(int twips)
{
    return qRound(twips / 15.0);
}

QString shownValue(QWidget* control)
{
    if (auto* box = qobject_cast<QLineEdit*>(control))
        return box->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    return qobject_cast<QComboBox*>(control)->currentText();
}

using LayoutTest = WindowTest;

TEST_F(LayoutTest, EveryControlHasItsPlaceValueTooltipAndLimit)
{
    frmTone& w = create();
    EXPECT_EQ(w.size(), QSize(276, 82));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    for (const Control& c : kControls) {
        SCOPED_TRACE(c.name);
        auto* control = w.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget(), &w);
        EXPECT_EQ(control->geometry(), QRect(px(c.left), px(c.top), px(c.width), px(c.height)));
        EXPECT_EQ(shownValue(control), QString::fromLatin1(c.value));
        EXPECT_EQ(control->toolTip(), QString::fromUtf8(c.toolTip));
        if (c.maxLength != 0) {
            EXPECT_EQ(qobject_cast<QLineEdit*>(control)->maxLength(), c.maxLength);
        }
    }
    // Members and object names agree.
    EXPECT_EQ(w.Text1->objectName(), "Text1");
    EXPECT_EQ(w.cmbTone->objectName(), "cmbTone");
    EXPECT_EQ(w.Label3->objectName(), "Label3");

    EXPECT_EQ(w.cmbTone->count(), 2);
    EXPECT_EQ(w.cmbTone->itemText(0), "DTMF1(E=* F=#)");
    EXPECT_EQ(w.cmbTone->itemText(1), "DTMF2(E=* F=#)");
    EXPECT_EQ(w.cmbTone->currentIndex(), -1);
    EXPECT_FALSE(w.cmbTone->isEditable());
    EXPECT_EQ(w.chkE->value(), 0);
    EXPECT_TRUE(w.chkE->isEnabled());
}

TEST_F(LayoutTest, LabelsLieBeneathTheOtherControls)
{
    frmTone& w = create();
    // Children are in stacking order, the bottom one first.
    const QObjectList stack = w.children();
    qsizetype topLabel = -1;
    qsizetype lowestControl = stack.size();
    for (qsizetype i = 0; i < stack.size(); ++i) {
        if (qobject_cast<QLabel*>(stack[i]))
            topLabel = std::max(topLabel, i);
        else if (qobject_cast<QWidget*>(stack[i]))
            lowestControl = std::min(lowestControl, i);
    }
    EXPECT_LT(topLabel, lowestControl);
    // Where they overlap, the control is the one seen.
    EXPECT_EQ(w.childAt(w.Text2->geometry().topLeft() + QPoint(1, 8)), w.Text2);
    EXPECT_EQ(w.childAt(w.Text1->geometry().topLeft() + QPoint(40, 1)), w.Text1);
}

TEST_F(LayoutTest, SequenceBoxIsBoldAndItsTextFits)
{
    frmTone& w = create();
    EXPECT_TRUE(w.Text1->font().bold());
    EXPECT_FALSE(w.Text2->font().bold());
    const QFontMetrics metrics(w.Text1->font());
    EXPECT_LT(metrics.horizontalAdvance(w.Text1->text()), w.Text1->width());
    EXPECT_LE(metrics.height(), w.Text1->height());
    if (w.Text1->font().family() != "MS Sans Serif") {
        EXPECT_EQ(w.Text1->font().pixelSize(), 11);
    }
}

TEST_F(LayoutTest, CaptionAfterLoadIsTheVersionAndTheIconHasBothDrawings)
{
    frmTone& w = load();
    EXPECT_EQ(w.windowTitle(), "Quorvel v3");
    EXPECT_EQ(frmTone::captionBase(), "Quorvel v3");
    const QIcon icon = appIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
}

TEST_F(LayoutTest, TabFollowsTheFocusOrderAndSkipsADisabledCheckBox)
{
    frmTone& w = load(); // entry 2, a file set: chkE enabled
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_EQ(QApplication::focusWidget(), w.Text1);

    const auto walk = [&w] {
        QStringList names;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            names << QApplication::focusWidget()->objectName();
        }
        return names;
    };
    EXPECT_EQ(walk(),
              QStringList({"cmdTone", "Text2", "Text3", "cmbTone", "chkE", "Text4", "Text1"}));
    w.setListIndex(0); // DTMF1 disables chkE
    ASSERT_FALSE(w.chkE->isEnabled());
    EXPECT_EQ(walk(),
              QStringList({"cmdTone", "Text2", "Text3", "cmbTone", "Text4", "Text1", "cmdTone"}));
}

TEST_F(LayoutTest, BoxesTakeNoMoreThanTheirLimit)
{
    frmTone& w = create();
    for (QLineEdit* box : {w.Text2, w.Text3, w.Text4}) {
        box->clear();
        QTest::keyClicks(box, "123456");
    }
    EXPECT_EQ(w.Text2->text(), "1234");
    EXPECT_EQ(w.Text3->text(), "123");
    EXPECT_EQ(w.Text4->text(), "1234");
    w.Text1->setText(QString(1024, '1'));
    w.Text1->end(false);
    QTest::keyClick(w.Text1, Qt::Key_2);
    EXPECT_EQ(w.Text1->text(), QString(1024, '1'));
}

} // namespace

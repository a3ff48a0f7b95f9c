#include "QtToneWindow.h"

#include "../files/TempDir.h"
#include "ControlFonts.h"
#include "FakeEventPump.h"
#include "FakeTickCounter.h"
#include "FakeWaveOut.h"
#include "HeldMessages.h"
#include "Main.h"
#include "PlaybackCycle.h"
#include "QtMessageBoxes.h"
#include "RadioOptions.h"
#include "RadioSend.h"
#include "RecordingMessages.h"
#include "RecordingPttLine.h"
#include "RecordingWatchdog.h"
#include "RepeatCheckBox.h"
#include "WindowOptions.h"
#include "modTone.h"

#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

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
    QtToneWindow& load()
    {
        window = std::make_unique<QtToneWindow>(m, cycle, messages);
        window->form().Form_Load();
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
    std::unique_ptr<QtToneWindow> window;
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

    // Screen readers name each control after its label and read its tooltip as its description.
    // On Linux the selector's name is its current entry, and its label comes as a relation.
    const std::pair<const char*, const char*> names[] = {
        {"Text1", "Tone Sequence"},       {"Text2", "Single Tone Duration"},
        {"Text3", "Pause between tones"}, {"Text4", "Pause between sequences"},
        {"cmbTone", "Select Toneset"},    {"chkE", "Use repeat tone"},
        {"cmdTone", "Send Sequence"}};
    for (const auto& [name, spoken] : names) {
        QWidget* control = window->findChild<QWidget*>(name);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr) << name;
        QString label = accessible->text(QAccessible::Name);
        if (accessible->role() == QAccessible::ComboBox) {
            const auto labels = accessible->relations(QAccessible::Label);
            label = labels.empty() ? QString() : labels.front().first->text(QAccessible::Name);
        }
        EXPECT_EQ(std::pair(label, accessible->text(QAccessible::Description)),
                  std::pair(QString(spoken), control->toolTip()))
            << name;
    }

    // The wheel over the selector changes the set only while the selector has the focus.
    const auto roll = [&] {
        QWheelEvent wheel({10, 10}, window->cmbTone->mapToGlobal(QPointF(10, 10)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window->cmbTone, &wheel);
    };
    window->Text2->setFocus();
    window->Text2->setText("1234");
    roll();
    EXPECT_EQ(std::tuple(window->cmbTone->currentIndex(), window->Text2->text(),
                         QApplication::focusWidget()),
              std::tuple(0, "1234", static_cast<QWidget*>(window->Text2)));
    window->cmbTone->setFocus();
    roll();
    EXPECT_EQ(std::pair(window->cmbTone->currentIndex(), window->Text2->text()),
              std::pair(1, QString("250")));

    // A message box opens centred over the window.
    QtMessageBoxes boxes;
    boxes.setOwner(window.get());
    window->move(30, 90);
    QPoint boxCentre;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        boxCentre = box->geometry().center();
        box->close();
    });
    boxes.show("Over the window", "Quorvel", Icon::Information);
    EXPECT_LE((boxCentre - window->geometry().center()).manhattanLength(), 2);
}

// Where a control shows its text, as the style lays it out when it paints: a text box's
// contents less the 2 pixels that the box keeps on each side of its line, the selector's field
// less the pixel its label keeps on each side, a check box's or a button's contents, and a
// label's box up to the first control that lies over it.
QRect textRoom(const QWidget* control)
{
    QStyle* style = control->style();
    if (const auto* box = qobject_cast<const QLineEdit*>(control)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
        return style->subElementRect(QStyle::SE_LineEditContents, &option, box)
            .marginsRemoved(box->textMargins())
            .adjusted(2, 0, -2, 0);
    }
    if (const auto* selector = qobject_cast<const QComboBox*>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(selector);
        return style
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, selector)
            .adjusted(1, 0, -1, 0);
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool check = qobject_cast<const QCheckBox*>(button) != nullptr;
        return style->subElementRect(
            check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    }
    QRect room = control->contentsRect();
    const QRect own = control->geometry();
    for (const QWidget* other :
         control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<const QLabel*>(other) || !other->geometry().intersects(own))
            continue;
        if (other->x() > own.x())
            room.setRight(std::min(room.right(), other->x() - own.x() - 1));
        else
            room.setBottom(std::min(room.bottom(), other->y() - own.y() - 1));
    }
    return room;
}

TEST_F(WindowTest, EveryTextFitsItsControlInEachWindowFontAndAtEveryScale)
{
    std::filesystem::copy_file(QUORVEL_SHIPPED_TONESETS, "TONESETS.INI",
                               std::filesystem::copy_options::overwrite_existing);
    QtToneWindow& w = load();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // QT_SCALE_FACTOR=2 doubles the window in device pixels, with the same layout in logical
    // ones (checked control by control at start-up).
    const double scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                             ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                             : 1.0;
    EXPECT_EQ(w.grab().size(), QSize(276, 82) * scale);

    QStringList selectorTexts;
    for (int i = 0; i < w.cmbTone->count(); ++i)
        selectorTexts << w.cmbTone->itemText(i);
    ASSERT_EQ(selectorTexts.size(), 16); // the DTMF sets and the shipped file's 14
    const std::pair<const char*, QStringList> texts[] = {
        {"cmbTone", selectorTexts},
        {"Label3", {"Tone Sequence(s)", "Tone Sequence (1024 car.)"}},
        {"chkE", {"Use repeat tone"}},
        {"Label5", {"Betw. tones/seq"}},
        {"Label4", {"Single Tone Duration"}},
        {"Text2", {"9999"}},
        {"Text4", {"9999"}},
        {"Text3", {"999"}},
        {"cmdTone", {"Send Sequence"}},
        {"Label6", {"Select Toneset"}},
        {"Label1", {"mS"}},
        {"Label2", {"mS"}},
        {"Text1", {"0123456789ABCDEF"}}};
    const QFont chosen = w.font();
    int fonts = 0;
    for (const WindowFontChoice& choice : windowFontChoices()) {
        if (!QFontDatabase::hasFamily(choice.family))
            continue;
        ++fonts;
        w.setFont(fontOf(choice));
        for (const auto& [name, controlTexts] : texts) {
            const QWidget* control = w.findChild<QWidget*>(name);
            const QRect room = textRoom(control);
            const QFontMetricsF metrics(control->font());
            for (const QString& text : controlTexts)
                EXPECT_TRUE(std::ceil(metrics.horizontalAdvance(text)) <= room.width() &&
                            std::ceil(metrics.height()) <= room.height())
                    << choice.family << " " << choice.pixelSize << "px: \"" << text.toStdString()
                    << "\" is " << metrics.horizontalAdvance(text) << " x " << metrics.height()
                    << " in " << name << "'s " << room.width() << " x " << room.height();
        }
    }
    EXPECT_GE(fonts, 1) << "no window font installed";
    EXPECT_EQ(QFontInfo(chosen).family(), windowFontChoices().front().family);
}

TEST_F(WindowTest, SendTakesTypedSymbolsZeroesNegativesAndDuringAPlayPlaysNothingNorCloses)
{
    QtToneWindow& w = load();
    events.onPass = [&](int pass) {
        switch (pass) {
        case 2: // a Send and a close during the second play
            w.form().cmdTone_Click();
            EXPECT_EQ(w.windowTitle(), "Quorvel v3 - 1234mS");
            EXPECT_FALSE(w.close());
            return;
        case 4: // Escape, with the focus in any box, 700 ms into the third play
            ticks.advance(700);
            return QTest::keyClick(w.Text3, Qt::Key_Escape);
        case 6: // a termination signal during the fifth play
            return w.form().closeFromOutside();
        default: // the end of a play
            ticks.advance(pass == 1 ? 1234 : 250);
            return device.setDone();
        }
    };
    QTest::keyClicks(w.Text1, "1b G*.c");
    QTest::keyClick(w.Text1, Qt::Key_Backspace);
    QTest::keyClick(w.Text1, Qt::Key_Escape); // nothing plays: nothing happens
    EXPECT_EQ(w.Label3->text(), "Tone Sequence (19 car.)");
    // A click in a duration box selects its whole text, once the posted keys have arrived.
    w.Text3->setCursorPosition(1);
    QTest::mouseClick(w.Text3, Qt::LeftButton, {}, {5, 5});
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Text3->selectedText(), w.Text3->text());
    QTest::keyClick(w.Text1, Qt::Key_Return); // sends, inserting nothing
    EXPECT_EQ(w.Text1->text(), "0123456789ABCDEF1B ");
    EXPECT_EQ(w.windowTitle(), "Quorvel v3 - 1234mS");
    w.form().cmdTone_Click();
    expectLast(1, "Please wait end of sound before closing application.", "Quorvel",
               Icon::Information);
    EXPECT_EQ(device.steps().size(), 10u); // two plays of five steps
    EXPECT_EQ(w.windowTitle(), "Quorvel v3 - 250mS");

    // The stopped play: the device is reset and closed, nothing is reported, and the caption
    // shows the time played; the next Send plays to its end.
    const auto steps = [this](std::size_t from) {
        const auto& all = device.steps();
        return std::vector(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
    };
    const std::vector<std::string> stopped = {"open", "prepareHeader", "write", "reset", "close"};
    w.form().cmdTone_Click();
    EXPECT_EQ(steps(10), stopped);
    EXPECT_EQ(std::tuple(w.windowTitle(), m.Playing, cycle.lastResult(), messages.shown().size(),
                         cycle.waiting()),
              std::tuple("Quorvel v3 - 700mS", false, PlaybackCycle::Result::Stopped, 1u, false));
    w.form().cmdTone_Click();
    EXPECT_EQ(steps(15).back(), "close");
    EXPECT_EQ(std::tuple(w.windowTitle(), cycle.lastResult()),
              std::tuple("Quorvel v3 - 250mS", PlaybackCycle::Result::Played));

    // A termination signal stops the play, then closes the window without the refusal, and
    // the typed sequence is saved.
    w.Text1->setText("0123789");
    w.form().cmdTone_Click();
    EXPECT_EQ(steps(20), stopped);
    EXPECT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(dir.read("Quorvel.ini"), "0,0,2,\"0123789\",\"70\",\"0\",\"300\",0\r\n");
}

TEST_F(WindowTest, TheUsersPicksAndClicksRunTheHandlersAndTheSettingsBringTheWindowBack)
{
    QtToneWindow& first = load(); // file set 2
    first.Text3->setText("25");
    first.chkE->click();
    EXPECT_TRUE(m.UseRepeatTone);
    first.cmbTone->setFocus();
    // The keys pick DTMF2, then a pick of the current entry, then the file set 3.
    const auto pick = [&](int key) {
        if (key)
            QTest::keyClick(first.cmbTone, static_cast<Qt::Key>(key));
        else
            emit first.cmbTone->activated(first.cmbTone->currentIndex());
    };
    const std::tuple<int, int, const char*, const char*, int, bool> walk[] = {
        {Qt::Key_Up, 1, "250", "70", 0, false},
        {0, 1, "250", "70", 0, false},
        {Qt::Key_Down, 2, "80", "25", 1, true},
        {Qt::Key_Down, 3, "120", "25", 1, true}};
    for (const auto& [key, index, text2, text3, check, enabled] : walk) {
        first.Text2->setText("999");
        pick(key);
        EXPECT_EQ(std::tuple(first.cmbTone->currentIndex(), first.Text2->text(),
                             first.Text3->text(), first.chkE->value(), first.chkE->isEnabled(),
                             m.UseRepeatTone),
                  std::tuple(index, text2, text3, check, enabled, check != 0))
            << index;
    }
    first.Text3->setText("33");

    first.move(-20, 140); // twips -300 and 2100
    first.Text1->setText("12 3, \"x\"");
    const auto state = [this](const QtToneWindow& w) {
        return std::tuple(w.pos(), w.cmbTone->currentIndex(), w.Text1->text(), w.Text2->text(),
                          w.Text3->text(), w.Text4->text(), w.chkE->value(), m.UseRepeatTone);
    };
    const auto closed = state(first);
    ASSERT_TRUE(first.close());
    EXPECT_EQ(dir.read("Quorvel.ini"),
              "-300,2100,3,\"12 3, \"\"x\"\"\",\"120\",\"33\",\"300\",1\r\n");
    m.UseRepeatTone = false; // as in a new run
    EXPECT_EQ(state(load()), closed);

    // A saved position where no title bar could be seen, beyond 16-bit pixels included, comes
    // back at the nearest place on the primary screen; the other fields, Latin-1 bytes
    // included, are written back as they were read.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const std::tuple<std::string, QPoint> positions[] = {
        {"500000,-90000", {screen.right() + 1 - window->width(), screen.top()}},
        {"-16777215,2100", {screen.left(), 140}},
        {"-4005,-300", {-267, -20}}}; // partly visible: as saved
    for (const auto& [saved, place] : positions) {
        dir.write("Quorvel.ini", saved + ",3,\"caf\xE9\",\"120\",\"33\",\"300\",1\r\n");
        load();
        EXPECT_EQ(std::tuple(window->pos(), window->Text1->text()), std::tuple(place, "café"));
        ASSERT_TRUE(window->close());
        EXPECT_EQ(dir.read("Quorvel.ini"), std::to_string(place.x() * 15) + "," +
                                               std::to_string(place.y() * 15) +
                                               ",3,\"caf\xE9\",\"120\",\"33\",\"300\",1\r\n");
    }
}

// A Send with a --ptt line, on one timeline of line, device and box steps at their time in
// ms: keyed only when the device is open and the sound rendered; Escape in each phase, a close
// from outside, a second Send, a failed key, the time-out and a lost line all release the
// line, and so do the watchdog's end and an exception; every box comes after the release (one
// for a call's problems). "12 3" sounds for
// 570 ms; each wait lets 10 ms pass.
TEST_F(WindowTest, AKeyedSendReleasesTheLineOnEveryWayOutAndShowsBoxesAfterTheRelease)
{
    const std::string ready = "line@0 watch@0 open@0 prep@0 ";
    const std::string keyed = ready + "until=180000@0 KEY@0 write@250 ";
    enum class Act { None, Escape, Close, Send, WatchdogEnds };
    const struct {
        Act act;
        std::uint32_t at;
        std::map<std::string, std::string> lineFailures;
        double timeoutS;
        std::string timeline;
        const char* caption;
        std::string box;
    } table[] = {
        // clang-format off
        {Act::None, 0, {}, 180, keyed + "unprep@820 close@820 UNKEY@870 released@870", "570", ""},
        {Act::Send, 500, {}, 180, keyed + "unprep@820 close@820 UNKEY@870 released@870", "570", ""},
        {Act::Escape, 100, {}, 180, ready + "until=180000@0 KEY@0 reset@100 close@100 UNKEY@100 released@100", "0", ""},
        {Act::Escape, 500, {}, 180, keyed + "reset@500 close@500 UNKEY@500 released@500", "250", ""},
        {Act::Escape, 830, {}, 180, keyed + "unprep@820 close@820 UNKEY@830 released@830", "570", ""},
        {Act::None, 0, {{"key", "cannot key the transmitter: RTS of /dev/ttyFAKE (EIO)"}}, 180,
         ready + "until=180000@0 KEY@0 reset@0 close@0 UNKEY@0 released@0 box@0", "0",
         "cannot key the transmitter: RTS of /dev/ttyFAKE (EIO)"},
        {Act::None, 0, {{"open", "cannot open PTT port /dev/ttyFAKE: No such file or directory"}}, 180,
         "line@0 box@0", "0", "cannot open PTT port /dev/ttyFAKE: No such file or directory"},
        {Act::None, 0, {}, 0.8, "box@0", "0",
         "the call would keep the transmitter keyed for 0.87 s (the lead, 0.57 s of sound and the tail), "
         "longer than the time-out of 0.8 s (--ptt-timeout); nothing was sent"},
        {Act::Close, 500, {}, 180, keyed + "reset@500 close@500 UNKEY@500 released@500", "250", ""},
        {Act::None, 0, {{"check", "the line was lost"}, {"unkey", "its release failed"}}, 180,
         ready + "until=180000@0 KEY@0 reset@0 close@0 UNKEY@0 takeover@0 box@0", "0",
         "the line was lost\nits release failed"},
        {Act::WatchdogEnds, 500, {}, 180, keyed + "reset@500 close@500 UNKEY@500 released@500 box@500",
         "250", "the PTT watchdog ended during the call; the call was stopped and the recording line released"},
        // Any exception, one from the line included: released, not busy, and a box; the caption
        // keeps the last play that reached its end (the row above).
        {Act::None, 0, {{"key", "throw:no thread"}}, 180,
         ready + "until=180000@0 KEY@0 reset@0 close@0 UNKEY@0 released@0 box@0", "250",
         "The call failed: no thread: Resource temporarily unavailable"},
        // clang-format on
    };
    const std::map<std::string, std::string> names = {{"prepareHeader", "prep"},
                                                      {"unprepareHeader", "unprep"},
                                                      {"open", "line"},
                                                      {"key", "KEY"},
                                                      {"unkey", "UNKEY"}};
    for (const auto& row : table) {
        ticks.now = 0;
        std::string timeline;
        const auto note = [&](const std::string& step) {
            timeline += (timeline.empty() ? "" : " ") + step + '@' + std::to_string(ticks.now);
        };
        std::uint32_t writtenAt = 0;
        device.played.clear();
        device.onCall = [&](const std::string& step) {
            writtenAt = step == "write" ? ticks.now : writtenAt;
            note(step == "open" ? "open" : names.contains(step) ? names.at(step) : step);
        };
        messages.onShow = [&](const RecordingMessages::Shown&) { note("box"); };
        HeldMessages held(messages);
        PlaybackCycle keyedCycle(m, device, ticks, held, events);
        RadioOptions radio;
        radio.ptt = std::get<PttAddress>(parsePttAddress("serial:/dev/ttyFAKE:rts"));
        radio.pttTimeoutS = row.timeoutS;
        LineServices lines;
        lines.lines = [&](const PttAddress&) {
            return std::make_unique<RecordingPttLine>(
                [&](const std::string& step) { note(names.at(step)); }, row.lineFailures);
        };
        lines.watchdogs = [&] { return std::make_unique<RecordingWatchdog>(note); };
        RadioSend send(m, keyedCycle, events, ticks, held, radio, lines);
        QtToneWindow w(m, keyedCycle, held);
        w.form().Form_Load();
        w.setRadioSend(&send);
        w.Text1->setText("12 3");
        w.Text2->setText("70");
        w.Text3->setText("60");
        w.Text4->setText("300");
        bool acted = false;
        events.onWait = [&](auto limit) {
            ticks.advance(static_cast<std::uint32_t>(std::min<long>(limit.count(), 10)));
        };
        events.onPass = [&](int) {
            if (row.act != Act::None && !acted && ticks.now >= row.at) {
                acted = true;
                if (row.act == Act::Escape)
                    QTest::keyClick(w.Text3, Qt::Key_Escape);
                else if (row.act == Act::Close)
                    w.form().closeFromOutside();
                else if (row.act == Act::WatchdogEnds)
                    events.ready(RecordingWatchdog::kDescriptor);
                else
                    w.form().cmdTone_Click(); // plays nothing
            }
            if (!device.played.empty() && ticks.now - writtenAt >= 570)
                device.setDone();
        };
        const std::size_t boxes = messages.shown().size();
        w.show();
        w.form().cmdTone_Click();
        EXPECT_EQ(timeline, row.timeline);
        EXPECT_FALSE(send.busy()) << row.timeline;
        EXPECT_EQ(w.windowTitle().toStdString(), std::string("Quorvel v3 - ") + row.caption + "mS")
            << row.timeline;
        if (row.box.empty()) {
            EXPECT_EQ(messages.shown().size(), boxes) << row.timeline;
        } else {
            expectLast(boxes + 1, row.box, "Quorvel", Icon::Critical);
        }
        // Closed from outside: closed once released, and what was typed is saved.
        EXPECT_EQ(w.isVisible(), row.act != Act::Close) << row.timeline;
        if (row.act == Act::Close) {
            EXPECT_EQ(dir.read("Quorvel.ini"), "0,0,2,\"12 3\",\"70\",\"60\",\"300\",0\r\n");
        }
        w.hide();
        events.onPass = [](int) {};
    }
}

// The window reads quorvel-render's radio options with the same parser; nothing else.
TEST(WindowOptions, TheRadioOptionsOfTheRendererAndNothingElse)
{
    const auto parse = [](std::vector<std::string> args) {
        args.insert(args.begin(), "quorvel");
        return parseWindowOptions(args);
    };
    const auto options = std::get<WindowOptions>(
        parse({"--ptt", "cm108:auto:2", "--ptt-lead", "100", "--ptt-timeout", "0", "--calls", "2",
               "--level", "-6", "--device", "radio"}));
    EXPECT_EQ(std::tuple(options.radio.ptt->path, options.radio.ptt->gpio, options.radio.pttLeadMs,
                         options.radio.pttTimeoutS, options.radio.framing.calls,
                         options.radio.framing.levelDb, *options.radio.device),
              std::tuple("auto", 2, 100.0, 0.0, 2, -6.0, std::string("radio")));
    EXPECT_FALSE(std::get<WindowOptions>(parse({})).radio.ptt);
    EXPECT_TRUE(std::get<WindowOptions>(parse({"--help"})).help);
    for (const auto& [args, message] :
         {std::pair<std::vector<std::string>, std::string>{{"--bogus"}, "Unknown option 'bogus'."},
          {{"--list-devices"}, "Unknown option 'list-devices'."},
          {{"--play"}, "Unknown option 'play'."},
          {{"--user-folder"}, "Unknown option 'user-folder'."},
          {{"12345"}, "unexpected argument '12345'"},
          {{"--ptt-wait", "5"}, "--ptt-wait needs --ptt"},
          {{"--level", "-100"}, "invalid value for --level: '-100' is less than -80"},
          {{"--ptt", "cm108:auto", "--ptt-wait", "4294968"},
           "invalid value for --ptt-wait: '4294968' is more than 86400"}}) {
        const auto error = std::get<WindowUsageError>(parse(args));
        EXPECT_EQ(error.message, message);
        EXPECT_TRUE(error.usage.starts_with("Usage: quorvel [options]")) << error.usage;
    }
}

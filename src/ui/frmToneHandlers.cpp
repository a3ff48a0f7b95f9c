// The handlers of the selector, the option, the sequence box, the duration boxes, the Send
// button.
#include "DurationText.h"
#include "Messages.h"
#include "PlaybackCycle.h"
#include "RadioSend.h"
#include "RepeatCheckBox.h"
#include "SequenceText.h"
#include "Timings.h"
#include "ToneErrors.h"
#include "ToneSetNames.h"
#include "frmTone.h"
#include "modTone.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <utility>

namespace
{

const std::string kQuorvelTitle = "Quorvel";

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The character code a key types, as the sequence box's key-press handler sees it; nothing
// for keys that type no character (arrows, Home, End, Delete, Tab, Alt combinations), which
// go to the box untouched. Ctrl with a letter types its control code, so keyboard shortcuts
// reach the filter and are discarded.
std::optional<int> typedCode(const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return std::nullopt;
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    if ((modifiers & Qt::ControlModifier) && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
        return key.key() - Qt::Key_A + 1;
    if (key.text().isEmpty())
        return std::nullopt;
    return key.text().at(0).unicode();
}

bool isClick(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton &&
           static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint());
}

// A symbol looks up its frequency in the selected set; blanks and other characters do not.
bool holdsSymbol(const std::string& sequence)
{
    return std::any_of(sequence.begin(), sequence.end(),
                       [](char c) { return symbolColumn(c).has_value(); });
}

} // namespace

void frmTone::cmbTone_Click()
{
    const int k = cmbTone->currentIndex();
    if (k == 0 || k == 1) {
        if (!DtmfPresetActive) {
            SavedPauseText = Text3->text();
            SavedRepeatValue = chkE->value();
            chkE->setValue(0);
            chkE->setEnabled(false);
            DtmfPresetActive = true;
        }
        const DtmfPreset& preset = k == 0 ? kDtmf1Preset : kDtmf2Preset;
        Text2->setText(latin1(preset.toneDurationText));
        Text3->setText(latin1(preset.tonePauseText));
        return;
    }
    // With nothing selected no preset applies; only the start-up can leave it so.
    if (k < 0)
        return;
    if (DtmfPresetActive) {
        Text3->setText(SavedPauseText);
        chkE->setValue(SavedRepeatValue);
        DtmfPresetActive = false;
    }
    Text2->setText(QString::number(cmbTone->itemData(cmbTone->currentIndex()).toInt()));
    chkE->setEnabled(true);
}

void frmTone::chkE_Click()
{
    m_module.UseRepeatTone = chkE->value() != 0;
}

void frmTone::cmdTone_Click()
{
    const auto milliseconds = durationBoxes();
    if (!milliseconds)
        return;
    // Negative values are sent, and shown, as 0.
    QLineEdit* const boxes[] = {Text2, Text3, Text4};
    std::array<double, 3> seconds{};
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        if ((*milliseconds)[i] < 0)
            boxes[i]->setText(QStringLiteral("0"));
        seconds[i] = std::max(0.0, (*milliseconds)[i]) / 1000;
    }
    m_module.ToneDuration = seconds[0];
    m_module.TonePause = seconds[1];
    m_module.SequencePause = seconds[2];
    // Cannot overflow: every count was checked with its box.
    ComputeTimings(m_module);
    // One byte per character; characters outside Latin-1 stay distinct for the repeat tone.
    const std::string sequence = narrowSequence(Text1->text().toStdU32String());
    if (cmbTone->currentIndex() < 0 && holdsSymbol(sequence)) {
        showMessage("Select a tone set first.", kQuorvelTitle);
        return;
    }
    if (m_radioSend)
        m_radioSend->send(sequence);
    else
        m_cycle.SuonaSequenza(sequence);
    setWindowTitle(captionBase() + QStringLiteral(" - ") + QString::number(m_module.ElapsedMs) +
                   QStringLiteral("mS"));
    closeIfRequested();
}

// The values of Text2, Text3 and Text4 in milliseconds; nothing, after one message naming
// every box that the Send cannot use, when a box is no number or too long for one sound.
std::optional<std::array<double, 3>> frmTone::durationBoxes()
{
    const std::pair<const QLineEdit*, const char*> boxes[] = {{Text2, "Single tone duration"},
                                                              {Text3, "Pause between tones"},
                                                              {Text4, "Pause between sequences"}};
    std::array<double, 3> milliseconds{};
    std::string problems;
    for (std::size_t i = 0; i < milliseconds.size(); ++i) {
        const std::string text = boxes[i].first->text().toStdString();
        const auto value = parseDurationText(text);
        const char* problem = nullptr;
        if (!value) {
            problem = " is not a number of milliseconds.";
        } else {
            try {
                roundToInt32(*value / 1000 * kSampleRate);
                milliseconds[i] = *value;
            } catch (const OverflowError&) {
                problem = " is too long for one sound.";
            }
        }
        if (problem)
            problems += std::string(boxes[i].second) + ": \"" + text + "\"" + problem + "\r\n";
    }
    if (problems.empty())
        return milliseconds;
    showMessage(problems + "Type a number of milliseconds, such as 70 or 12.5. Nothing was sent.",
                kQuorvelTitle);
    return std::nullopt;
}

void frmTone::Text1_KeyPress(int& KeyAscii)
{
    KeyAscii = QChar(static_cast<char16_t>(KeyAscii)).toUpper().unicode();
    const bool digit = KeyAscii >= 48 && KeyAscii <= 57;
    const bool letter = KeyAscii >= 65 && KeyAscii <= 70;
    if (digit || letter || KeyAscii == 8 || KeyAscii == 32)
        return;
    const int discarded = KeyAscii;
    KeyAscii = 0;
    if (discarded == 13)
        cmdTone_Click();
}

void frmTone::Text1_KeyUp()
{
    Label3->setText(QStringLiteral("Tone Sequence (%1 car.)").arg(Text1->text().size()));
}

void frmTone::Text1_Click()
{
    Text1_KeyUp();
}

void frmTone::Text2_Click()
{
    selectWholeText(Text2);
}

void frmTone::Text3_Click()
{
    selectWholeText(Text3);
}

void frmTone::Text4_Click()
{
    selectWholeText(Text4);
}

// Home, then Shift+End, to the control with the focus (the box just clicked), posted and
// not waited for: the caret goes to the start and the whole text is selected.
void frmTone::selectWholeText(QLineEdit* clicked)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = clicked;
    const auto post = [target](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers) {
        QCoreApplication::postEvent(target, new QKeyEvent(type, key, modifiers));
    };
    post(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    post(QEvent::KeyRelease, Qt::Key_Home, Qt::NoModifier);
    post(QEvent::KeyPress, Qt::Key_End, Qt::ShiftModifier);
    post(QEvent::KeyRelease, Qt::Key_End, Qt::ShiftModifier);
}

bool frmTone::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        (m_cycle.waiting() || sending())) {
        stopPlay();
        return true;
    }
    if (watched == cmbTone) {
        if (type == QEvent::Wheel && !cmbTone->hasFocus()) {
            event->ignore();
            return true;
        }
        // A new user interaction starts: no change has been handled for it yet.
        if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress || type == QEvent::Wheel)
            m_selectionHandled = false;
    } else if (watched == Text1) {
        if (event->type() == QEvent::KeyPress)
            return filterText1Key(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::KeyRelease)
            Text1_KeyUp();
        else if (isClick(watched, event))
            Text1_Click();
    } else if (isClick(watched, event)) {
        if (watched == Text2)
            Text2_Click();
        else if (watched == Text3)
            Text3_Click();
        else if (watched == Text4)
            Text4_Click();
    }
    return QWidget::eventFilter(watched, event);
}

// True when the key press is used up here: its character was discarded, or it was re-sent
// upper-cased.
bool frmTone::filterText1Key(QKeyEvent* key)
{
    if (m_forwardingKey)
        return false;
    const std::optional<int> typed = typedCode(*key);
    if (!typed)
        return false;
    int KeyAscii = *typed;
    Text1_KeyPress(KeyAscii);
    if (KeyAscii == 0)
        return true;
    if (KeyAscii == *typed)
        return false;
    QKeyEvent upper(key->type(), key->key(), key->modifiers(),
                    QString(QChar(static_cast<char16_t>(KeyAscii))), key->isAutoRepeat(),
                    static_cast<quint16>(key->count()));
    m_forwardingKey = true;
    QCoreApplication::sendEvent(Text1, &upper);
    m_forwardingKey = false;
    return true;
}

void frmTone::showMessage(const std::string& text, const std::string& title)
{
    m_messages.show(text, title, Messages::Icon::Information);
}

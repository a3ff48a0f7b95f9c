// The user's events, forwarded to the handlers: the selector, the option, the button, the
// keys and clicks of the boxes, Escape, and the close request.
#include "QtToneWindow.h"
#include "RepeatCheckBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <initializer_list>
#include <optional>

namespace
{

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

} // namespace

// Only what the user does is forwarded: a value set by code has run its handler already (in
// frmTone). `activated` comes for every pick, the current entry's included, so that a pick
// runs cmbTone_Click once; `clicked` comes for a click or the space bar.
void QtToneWindow::connectHandlers()
{
    connect(cmbTone, &QComboBox::activated, this, [this] { m_form.cmbTone_Click(); });
    connect(chkE, &QCheckBox::clicked, this, [this] { m_form.chkE_Click(); });
    connect(cmdTone, &QPushButton::clicked, this, [this] { m_form.cmdTone_Click(); });
    // Every control that can take the focus, and the window itself, for Escape.
    for (QWidget* watched :
         std::initializer_list<QWidget*>{this, Text4, chkE, cmbTone, Text3, Text2, cmdTone, Text1})
        watched->installEventFilter(this);
}

bool QtToneWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        m_form.playStoppable()) {
        m_form.stopPlay();
        return true;
    }
    if (watched == cmbTone) {
        // The wheel may change the set only once the selector has the focus: rolling over it
        // must neither take the focus nor overwrite a duration with a preset.
        if (type == QEvent::Wheel && !cmbTone->hasFocus()) {
            event->ignore();
            return true;
        }
    } else if (watched == Text1) {
        if (type == QEvent::KeyPress)
            return filterText1Key(static_cast<QKeyEvent*>(event));
        if (type == QEvent::KeyRelease)
            m_form.Text1_KeyUp();
        else if (isClick(watched, event))
            m_form.Text1_Click();
    } else if (isClick(watched, event)) {
        m_clickedBox = static_cast<QWidget*>(watched);
        if (watched == Text2)
            m_form.Text2_Click();
        else if (watched == Text3)
            m_form.Text3_Click();
        else if (watched == Text4)
            m_form.Text4_Click();
    }
    return QWidget::eventFilter(watched, event);
}

// True when the key press is used up here: its character was discarded, or it was re-sent
// upper-cased.
bool QtToneWindow::filterText1Key(QKeyEvent* key)
{
    if (m_forwardingKey)
        return false;
    const std::optional<int> typed = typedCode(*key);
    if (!typed)
        return false;
    int KeyAscii = *typed;
    m_form.Text1_KeyPress(KeyAscii);
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

// Posted, not sent: the box takes the keys after its click has been handled.
void QtToneWindow::sendHomeShiftEnd()
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = m_clickedBox;
    if (!target)
        return;
    const auto post = [target](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers) {
        QCoreApplication::postEvent(target, new QKeyEvent(type, key, modifiers));
    };
    post(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    post(QEvent::KeyRelease, Qt::Key_Home, Qt::NoModifier);
    post(QEvent::KeyPress, Qt::Key_End, Qt::ShiftModifier);
    post(QEvent::KeyRelease, Qt::Key_End, Qt::ShiftModifier);
}

void QtToneWindow::dismissMessageBoxes()
{
    if (QWidget* box = QApplication::activeModalWidget())
        box->close();
}

void QtToneWindow::closeWindow()
{
    close();
}

void QtToneWindow::closeEvent(QCloseEvent* event)
{
    if (m_form.Form_QueryUnload()) {
        event->ignore();
        return;
    }
    m_form.Form_Unload();
    event->accept();
}

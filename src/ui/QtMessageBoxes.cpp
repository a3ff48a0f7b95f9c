#include "QtMessageBoxes.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <algorithm>

namespace
{

// Qt places a dialog over its parent with a guessed frame where the window manager has not
// told it one (10 px wide and 40 px high: no manager at all, say), which leaves it that far
// off the centre. The box is centred here on its owner's frame, or on the screen, with the
// frame the owner has.
class CentredBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event); // lays the box out at its final size
        QWidget* const owner = parentWidget() ? parentWidget()->window() : nullptr;
        const QScreen* const where = owner ? owner->screen() : screen();
        const QRect area = owner ? owner->frameGeometry() : where->availableGeometry();
        const QSize frame = owner ? owner->frameGeometry().size() - owner->size() : QSize();
        const QSize outer = size() + frame;
        QPoint origin = area.center() - QPoint(outer.width() / 2, outer.height() / 2);
        // Kept on the screen, as Qt keeps its own placement.
        const QRect screenArea = where->availableGeometry();
        origin.setX(
            std::clamp(origin.x(), screenArea.left(),
                       std::max(screenArea.left(), screenArea.right() + 1 - outer.width())));
        origin.setY(
            std::clamp(origin.y(), screenArea.top(),
                       std::max(screenArea.top(), screenArea.bottom() + 1 - outer.height())));
        move(origin);
    }
};

} // namespace

void QtMessageBoxes::show(const std::string& text, const std::string& title, Icon icon)
{
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A dialog with a parent is placed over the centre of the parent when it is shown.
    QWidget* const owner = m_owner && m_owner->isVisible() ? m_owner.data() : nullptr;
    CentredBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                   QString::fromStdString(title), body, QMessageBox::Ok, owner);
    // Ctrl+C copies the text, as the platform's own boxes allow: a report's code can then be
    // pasted elsewhere (and read back by the acceptance tests).
    const auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated, &box,
                     [&box] { QGuiApplication::clipboard()->setText(box.text()); });
    box.exec();
}

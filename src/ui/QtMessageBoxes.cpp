#include "QtMessageBoxes.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QShortcut>

void QtMessageBoxes::show(const std::string& text, const std::string& title, Icon icon)
{
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A dialog with a parent is placed over the centre of the parent when it is shown.
    QWidget* const owner = m_owner && m_owner->isVisible() ? m_owner.data() : nullptr;
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    QString::fromStdString(title), body, QMessageBox::Ok, owner);
    // Ctrl+C copies the text, as the platform's own boxes allow: a report's code can then be
    // pasted elsewhere (and read back by the acceptance tests).
    const auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated, &box,
                     [&box] { QGuiApplication::clipboard()->setText(box.text()); });
    box.exec();
}

#include "QtMessageBoxes.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QShortcut>

void QtMessageBoxes::show(const std::string& text, const std::string& title, Icon icon)
{
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    QString::fromStdString(title), body, QMessageBox::Ok);
    // Ctrl+C copies the text, as the platform's own boxes allow: a report's code can then be
    // pasted elsewhere (and read back by the acceptance tests).
    const auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated, &box,
                     [&box] { QGuiApplication::clipboard()->setText(box.text()); });
    box.exec();
}

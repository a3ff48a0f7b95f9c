#include "QtMessageBoxes.h"

#include <QMessageBox>

void QtMessageBoxes::show(const std::string& text, const std::string& title, Icon icon)
{
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    QString::fromStdString(title), body, QMessageBox::Ok);
    box.exec();
}

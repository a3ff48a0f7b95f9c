#include "QtMessageBoxes.h"

#include <QMessageBox>

void QtMessageBoxes::show(const std::string& text, const std::string& title, Icon icon)
{
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A dialog with a parent is placed over the centre of the parent when it is shown.
    QWidget* const owner = m_owner && m_owner->isVisible() ? m_owner.data() : nullptr;
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    QString::fromStdString(title), body, QMessageBox::Ok, owner);
    box.exec();
}

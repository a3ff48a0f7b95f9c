#pragma once

#include "Messages.h"

#include <QPointer>

class QWidget;

// Modal Qt message boxes with one OK button, centred over their owner window while it is
// visible. The first boxes of a run come while the main window is still hidden; they are
// centred on the screen.
class QtMessageBoxes : public Messages
{
public:
    void show(const std::string& text, const std::string& title, Icon icon) override;
    // Set once the window exists; the owner may be destroyed before this object.
    void setOwner(QWidget* owner) { m_owner = owner; }

private:
    QPointer<QWidget> m_owner;
};

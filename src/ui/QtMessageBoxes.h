#pragma once

#include "Messages.h"

class QWidget;

// Modal Qt message boxes with one OK button. A box has no owner window: the first ones of a
// run come while the main window is still hidden.
class QtMessageBoxes : public Messages
{
public:
    void show(const std::string& text, const std::string& title, Icon icon) override;
};

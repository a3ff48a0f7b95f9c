#pragma once

#include "Messages.h"

#include <windows.h>

// Modal message boxes of the system, owned by the main window once it is visible: a box shown
// while the window loads (a missing tone-set file) stands alone, as the window is not shown yet.
class Win32MessageBoxes : public Messages
{
public:
    void setOwner(HWND owner) { m_owner = owner; }
    void show(const std::string& text, const std::string& title, Icon icon) override;

private:
    HWND m_owner = nullptr;
};

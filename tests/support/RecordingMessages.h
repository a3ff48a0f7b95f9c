#pragma once

#include "Messages.h"

#include <functional>
#include <vector>

// Records every message instead of showing it. onShow runs while the "box" is open, so a
// test can look at the state the message is shown in.
class RecordingMessages : public Messages
{
public:
    struct Shown {
        std::string text, title;
        Icon icon;
    };
    std::function<void(const Shown&)> onShow = [](const Shown&) {};

    void show(const std::string& text, const std::string& title, Icon icon) override
    {
        m_shown.push_back({text, title, icon});
        onShow(m_shown.back());
    }
    const std::vector<Shown>& shown() const { return m_shown; }

private:
    std::vector<Shown> m_shown;
};

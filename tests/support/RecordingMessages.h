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
        std::string text;
        std::string title;
        Icon icon = Icon::Information;
    };

    std::function<void(const Shown&)> onShow;

    void show(const std::string& text, const std::string& title, Icon icon) override
    {
        m_shown.push_back({text, title, icon});
        if (onShow)
            onShow(m_shown.back());
    }
    const std::vector<Shown>& shown() const { return m_shown; }

private:
    std::vector<Shown> m_shown;
};

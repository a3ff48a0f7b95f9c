#pragma once

#include "Messages.h"

#include <string>
#include <vector>

// Passes message boxes on, except while held: then they wait until release(). A keyed call
// holds them, so that a modal box never keeps a transmitter on the air until someone
// dismisses it: the line is released first, then the boxes are shown.
class HeldMessages : public Messages
{
public:
    explicit HeldMessages(Messages& shown) : m_shown(shown) {}

    void show(const std::string& text, const std::string& title, Icon icon) override
    {
        if (m_holding)
            m_held.push_back({text, title, icon});
        else
            m_shown.show(text, title, icon);
    }
    void hold() { m_holding = true; }
    // Shows what was held, in order, and passes later boxes on at once.
    void release()
    {
        m_holding = false;
        const auto held = std::move(m_held);
        m_held.clear();
        for (const Held& box : held)
            m_shown.show(box.text, box.title, box.icon);
    }

private:
    struct Held {
        std::string text, title;
        Icon icon;
    };
    Messages& m_shown;
    bool m_holding = false;
    std::vector<Held> m_held;
};

#pragma once

#include <string>

// Modal message boxes: shown, then dismissed; the answer is never used.
class Messages
{
public:
    enum class Icon { Critical, Information };

    virtual ~Messages() = default;
    // Texts are UTF-8; a text may hold CR LF line breaks.
    virtual void show(const std::string& text, const std::string& title, Icon icon) = 0;
};

#pragma once

#include <cstdint>
#include <string>

// Modal message boxes: shown, then dismissed; the answer is never used.
class Messages
{
public:
    enum class Icon { Critical, Information };

    virtual ~Messages() = default;
    // Texts are UTF-8; a text may hold CR LF line breaks.
    virtual void show(const std::string& text, const std::string& title, Icon icon) = 0;
    // A failed device step's numbered report ("3. waveOutWrite failed -  6"), a critical
    // message; a sink that can put the step's code in words adds them.
    virtual void showReport(const std::string& text, const std::string& title, int step,
                            std::int32_t code)
    {
        (void)step;
        (void)code;
        show(text, title, Icon::Critical);
    }
};

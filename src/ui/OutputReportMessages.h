#pragma once

#include "Messages.h"
#include "OutputChoice.h"

#include <string>

class WaveOut;

// Passes boxes on; a failed open of the output that --device named gets the reason in words
// and the outputs there are, below the numbered report. A window started from a menu with a
// radio's sound card unplugged thus says on the first Send what is missing.
class OutputReportMessages : public Messages
{
public:
    OutputReportMessages(Messages& shown, WaveOut& device, std::string outputName)
        : m_shown(shown), m_device(device), m_outputName(std::move(outputName))
    {
    }

    void show(const std::string& text, const std::string& title, Icon icon) override
    {
        m_shown.show(text, title, icon);
    }
    void showReport(const std::string& text, const std::string& title, int step,
                    std::int32_t code) override
    {
        const std::string why = step == 1 ? outputProblem(m_device, m_outputName) : std::string();
        m_shown.showReport(why.empty() ? text : text + "\r\n" + why, title, step, code);
    }

private:
    Messages& m_shown;
    WaveOut& m_device;
    std::string m_outputName;
};

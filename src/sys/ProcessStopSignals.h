#pragma once

#include "StopSignals.h"

// StopSignals on the process's own signals (ProcessSignals).
class ProcessStopSignals : public StopSignals
{
public:
    void deliverTo(std::function<void(int)> onSignal) override;
    void stopDelivering() override;
    void takeUsualCourse(int signal) override;
};

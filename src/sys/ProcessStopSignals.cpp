#include "ProcessStopSignals.h"

#include "ProcessSignals.h"

namespace
{

std::vector<int> stopping()
{
    std::vector<int> signals = ProcessSignals::ending();
    signals.insert(signals.end(), ProcessSignals::suspending().begin(),
                   ProcessSignals::suspending().end());
    return signals;
}

} // namespace

void ProcessStopSignals::deliverTo(std::function<void(int)> onSignal)
{
    ProcessSignals::route(stopping(), std::move(onSignal));
}

void ProcessStopSignals::stopDelivering()
{
    ProcessSignals::unroute(stopping());
}

void ProcessStopSignals::takeUsualCourse(int signal)
{
    ProcessSignals::takeUsualCourse(signal);
}

#include "LazyWaveOut.h"
#include "PollEventPump.h"
#include "ProcessSignals.h"
#include "ProcessStopSignals.h"
#include "ProcessWatchdog.h"
#include "RenderCommand.h"
#include "StderrMessages.h"
#include "TickCounter.h"
#include "WaveOutChoice.h"

#include <clocale>
#include <iostream>
#include <unistd.h>

namespace
{

int run(int argc, char* argv[])
{
    // hamlib's rig_open keeps the name that setlocale(LC_NUMERIC, NULL) returns, switches
    // LC_NUMERIC to "C" and then reads the kept name, which glibc has freed by then unless
    // LC_NUMERIC was "C" already. Our own numbers are read with from_chars and written in "C"
    // terms (a point, never a comma), so "C" costs nothing. Set before any thread (hamlib's,
    // the sound server's) starts.
    std::setlocale(LC_NUMERIC, "C");
    // Made when --play or --list-devices first needs it: nothing else asks a sound server.
    LazyWaveOut device(makeWaveOut);
    SteadyTickCounter ticks;
    StderrMessages messages(
        std::cerr, [&device](int step, std::int32_t code) { return device.reasonFor(step, code); });
    PollEventPump events;
    events.watch(ProcessSignals::descriptor(), &ProcessSignals::dispatchPending);
    ProcessStopSignals stopSignals;
    const PlayServices play{device, ticks, messages, events, &stopSignals};
    return runRenderCommand(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr,
                            &play, ::isatty(STDOUT_FILENO) == 1);
}

} // namespace

int main(int argc, char* argv[])
{
    // The push-to-talk watchdog is this program run again; it needs nothing of the rest.
    if (const auto status = ProcessWatchdog::runIfAsked(argc, argv))
        return *status;
    // Before any thread: signal actions and the environment are the process's, not a thread's.
    // A closed pipe on standard output is then reported as a write error, not a signal.
    ProcessSignals::install();
    keepSoundServersFromStarting();
    std::ios::sync_with_stdio(false);
    return run(argc, argv);
}

#include "LazyWaveOut.h"
#include "PosixSignalWatch.h"
#include "ProcessWatchdog.h"
#include "QtEventPump.h"
#include "RenderCommand.h"
#include "StderrMessages.h"
#include "TickCounter.h"
#include "WaveOutChoice.h"

#include <QCoreApplication>
#include <clocale>
#include <csignal>
#include <iostream>

namespace
{

int run(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // Qt has just set the whole locale from the environment. hamlib's rig_open keeps the name
    // that setlocale(LC_NUMERIC, NULL) returns, switches LC_NUMERIC to "C" and then reads the
    // kept name, which glibc has freed by then unless LC_NUMERIC was "C" already. Our own
    // numbers are read with from_chars and written in "C" terms (a point, never a comma), so
    // "C" costs nothing. Set here, before any thread (hamlib's, the sound server's) starts.
    std::setlocale(LC_NUMERIC, "C");
    // Made when --play or --list-devices first needs it: nothing else asks a sound server.
    LazyWaveOut device(makeWaveOut);
    SteadyTickCounter ticks;
    StderrMessages messages(
        std::cerr, [&device](int step, std::int32_t code) { return device.reasonFor(step, code); });
    QtEventPump events;
    PosixSignalWatch stopSignals;
    const PlayServices play{device, ticks, messages, events, &stopSignals};
    return runRenderCommand(QCoreApplication::arguments(), std::cout, std::cerr, &play);
}

} // namespace

int main(int argc, char* argv[])
{
    // The push-to-talk watchdog is this program run again; it needs nothing of the rest.
    if (const auto status = ProcessWatchdog::runIfAsked(argc, argv))
        return *status;
    keepSoundServersFromStarting(); // before any thread
    // A closed pipe on standard output is reported as a write error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    return run(argc, argv);
}

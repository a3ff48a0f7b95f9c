// One long session of the window's playback cycle on the libpulse backend, driven by
// run-reconnect-bench.sh: each line read from standard input sends a sequence ("long": about
// 1.5 s, else a short one), then prints the result and the resident memory. The script kills
// the sound server during a long send and starts it again, so that every send after a loss
// reconnects; a flat resident size shows that nothing is kept per lost server.

#include "DtmfModule.h"
#include "PlaybackCycle.h"
#include "PulseWaveOut.h"
#include "QtEventPump.h"
#include "StderrMessages.h"
#include "TickCounter.h"

#include <QCoreApplication>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace
{

long residentKb()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    modTone module = dtmfModule(40, 40, 0);
    PulseWaveOut device;
    SteadyTickCounter ticks;
    StderrMessages messages(std::cerr);
    QtEventPump events;
    PlaybackCycle cycle(module, device, ticks, messages, events);
    cycle.setToneSetIndexSource([] { return 0; });
    for (std::string line; std::getline(std::cin, line);) {
        cycle.SuonaSequenza(line == "long" ? "1234567890" : "1");
        const bool played = cycle.lastResult() == PlaybackCycle::Result::Played;
        std::cout << (played ? "played " : "failed ") << residentKb() << std::endl;
    }
    return 0;
}

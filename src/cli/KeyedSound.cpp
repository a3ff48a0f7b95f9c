#include "KeyedSound.h"

#include "KeyedCall.h"
#include "RenderCommand.h"

#include <ostream>

bool keyedSound(PlaybackCycle& cycle, const std::string& sequence, double soundMs,
                const RadioOptions& radio, const PlayServices& services, std::ostream& err,
                const CallWatch& watch)
{
    KeyedCall call(cycle, services.events, services.ticks, radio, services.lines,
                   [&err](const std::string& why) { err << "quorvel-render: " << why << '\n'; });
    // Until the line is keyed a signal takes its own course: nothing is on the air, and the
    // open of a device or the wait for the lock ends at once.
    if (!call.prepare(soundMs))
        return false;
    std::shared_ptr<void> watching; // after call: it goes first
    call.send(sequence, [&] { watching = watch([&call] { call.stop(); }); });
    return !call.failed();
}

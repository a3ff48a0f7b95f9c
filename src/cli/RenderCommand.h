#pragma once

#include <QStringList>
#include <ostream>

class WaveOut;
class TickCounter;
class Messages;
class EventPump;

// The platform services that --play plays through.
struct PlayServices {
    WaveOut& device;
    TickCounter& ticks;
    Messages& messages;
    EventPump& events;
};

// The whole of quorvel-render: parses the arguments, then renders and writes the samples
// or, with --play, plays them through the playback cycle on the given services.
// Returns the exit status: 0 success, 1 runtime error or failed device step, 2 usage error.
int runRenderCommand(const QStringList& arguments, std::ostream& out, std::ostream& err,
                     const PlayServices* play = nullptr);

#pragma once

#include "KeyedCall.h"
#include "ProcessLimits.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class WaveOut;
class TickCounter;
class Messages;
class EventPump;
class StopSignals;

// The platform services that --play plays through.
struct PlayServices {
    WaveOut& device;
    TickCounter& ticks;
    Messages& messages;
    EventPump& events;
    StopSignals* stopSignals = nullptr; // none: a signal ends the process as it would anyway
    LineServices lines = processLineServices();
    // Why the process cannot make what a play needs (a thread, descriptors); empty when it can.
    std::function<std::string()> shortage = [] { return ProcessLimits::shortage(); };
};

// The whole of quorvel-render: parses the arguments, then renders and writes the samples
// or, with --play, plays them through the playback cycle on the given services.
// Returns the exit status: 0 success, 1 runtime error or failed device step, 2 usage error,
// 128 + the signal's number when a signal stopped a play. outIsTerminal: out is a terminal,
// where samples are refused.
int runRenderCommand(const std::vector<std::string>& arguments, std::ostream& out,
                     std::ostream& err, const PlayServices* play = nullptr,
                     bool outIsTerminal = false);

#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

class PlaybackCycle;
struct PlayServices;
struct RadioOptions;

// The cycle's send keyed on the radio's line (see KeyedCall): false when something failed,
// reported on err. Just before the line is keyed, watch is given what stops the call and
// releases the line; what it returns is kept until the call is over and dropped before the
// call goes away, so that nothing it holds can stop a call that is gone. One file per
// platform.
using CallWatch = std::function<std::shared_ptr<void>(std::function<void()> stopCall)>;
bool keyedSound(PlaybackCycle& cycle, const std::string& sequence, double soundMs,
                const RadioOptions& radio, const PlayServices& services, std::ostream& err,
                const CallWatch& watch);

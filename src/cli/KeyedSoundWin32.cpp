#include "KeyedSound.h"
#include "PttAddress.h"

#include <ostream>

// The options refuse every keying address on Windows before a play starts; this only keeps
// a call that came through another way off the air.
bool keyedSound(PlaybackCycle&, const std::string&, double, const RadioOptions&,
                const PlayServices&, std::ostream& err, const CallWatch&)
{
    err << "quorvel-render: " << keyingUnavailable() << '\n';
    return false;
}

#include "WaveOutChoice.h"

#include "AlsaWaveOut.h"
#include "PulseWaveOut.h"
#include "SoundServerProbe.h"

#include <cstdlib>

std::unique_ptr<WaveOut> makeWaveOut()
{
    if (probeSoundServer(kSoundServerDeadline) != SoundServer::Absent)
        return std::make_unique<PulseWaveOut>();
    return std::make_unique<AlsaWaveOut>();
}

void keepSoundServersFromStarting()
{
    // Where no server runs, an ALSA configuration may still route "default" through the pulse
    // plugin, whose libpulse would then try to start a server of its own (autospawn); point
    // that at a program that only fails, so that the open fails fast instead. The libpulse
    // backend never starts a server, so this costs it nothing.
    setenv("PULSE_BINARY", "/bin/false", 1);
}

#include "WaveOutChoice.h"

#include "AlsaWaveOut.h"
#include "PulseWaveOut.h"
#include "SoundServerProbe.h"

#include <cstdlib>

std::unique_ptr<WaveOut> makeWaveOut()
{
    if (probeSoundServer(kSoundServerDeadline) != SoundServer::Absent)
        return std::make_unique<PulseWaveOut>();
    // No server is there. An ALSA configuration may still route "default" through the pulse
    // plugin, whose libpulse would then try to start a server of its own (autospawn); point
    // that at a program that only fails, so that the open fails fast instead.
    setenv("PULSE_BINARY", "/bin/false", 1);
    return std::make_unique<AlsaWaveOut>();
}

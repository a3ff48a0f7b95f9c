#include "WaveOutChoice.h"
#include "WinMmWaveOut.h"

std::unique_ptr<WaveOut> makeWaveOut()
{
    return std::make_unique<WinMmWaveOut>();
}

void keepSoundServersFromStarting()
{
    // Windows' audio service is always there and never started by a client.
}

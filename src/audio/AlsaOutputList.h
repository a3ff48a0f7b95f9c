#pragma once

#include "WaveOut.h"

#include <vector>

// The ALSA outputs worth choosing: "default" first and marked, the outputs of the sound
// cards, and the PCMs of the user's own configuration, with ALSA's description where it has
// one. Left out: what only the system's configuration defines without a card, which are
// converters and bridges to other sound systems ("lavrate", "speex", "upmix", "jack",
// "pulse"...) or a sink that plays nothing ("null"), and the capture-only devices.
// Reads ALSA's configuration, which may run hooks: call it within a deadline.
std::vector<OutputDevice> alsaOutputList();

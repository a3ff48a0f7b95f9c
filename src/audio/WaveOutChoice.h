#pragma once

#include "WaveOut.h"

#include <chrono>
#include <memory>

// How long the start-up waits for a sound server: a local one answers in milliseconds.
inline constexpr std::chrono::milliseconds kSoundServerDeadline{1500};

// The sound output of both programs: ALSA's default device (or the one set later) when no
// PulseAudio or PipeWire server is there, the sound server's own client library otherwise.
// A server that takes the connection but does not answer in time is there: it is the one
// that holds the sound card, so the libpulse backend gives its numbered report for it.
std::unique_ptr<WaveOut> makeWaveOut();

// Changes the environment, so it must run before the program starts any thread: first
// thing in main. Keeps the sound library that ALSA's pulse plugin loads from starting a
// sound server.
void keepSoundServersFromStarting();

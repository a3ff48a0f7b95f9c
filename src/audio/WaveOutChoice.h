#pragma once

#include "WaveOut.h"

#include <chrono>
#include <functional>
#include <memory>

// How long the start-up waits for a sound server: a local one answers in milliseconds.
inline constexpr std::chrono::milliseconds kSoundServerDeadline{1500};

// The sound output of both programs: the sound server's own client library when a PulseAudio
// or PipeWire server answers, ALSA's default device (or the one set later) otherwise.
// serverAnswers stands in for the probe in tests.
std::unique_ptr<WaveOut> makeWaveOut(const std::function<bool()>& serverAnswers = {});

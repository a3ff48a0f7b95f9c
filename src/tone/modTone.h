#pragma once

#include "CallFraming.h"
#include "PcmBuffer.h"
#include "ToneTable.h"

#include <cstdint>

// The sound module's state, which lives for the whole run. The application owns one;
// tests make a fresh one each.
struct modTone {
    ToneTable Tones{};

    double SampleRate = 0;    // samples per second, set by ComputeTimings
    double Amplitude = 0;     // peak of one sine wave, set by ComputeTimings
    double ToneDuration = 0;  // seconds per tone
    double TonePause = 0;     // seconds between two adjacent symbols
    double SequencePause = 0; // seconds for each blank

    std::int32_t ToneSamples = 0;
    std::int32_t TonePauseSamples = 0;
    std::int32_t SequencePauseSamples = 0;

    PcmBuffer SampleBuffer;

    bool UseRepeatTone = false;
    bool Playing = false;
    std::int32_t ElapsedMs = 0; // play time of the last play that reached its end

    // Beyond the window: the command line's framing of a call for a radio. Off by default,
    // and the window never changes it.
    CallFraming Framing{};
};

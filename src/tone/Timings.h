#pragma once

#include <cstdint>

struct modTone;

inline constexpr double kSampleRate = 22050.0;
inline constexpr double kAmplitude = 16000.0;

// Rounds to the nearest integer, a half going to the even neighbour.
// Throws OverflowError when the result does not fit a signed 32-bit integer.
std::int32_t roundToInt32(double value);

// Sets SampleRate and Amplitude and converts the three durations to sample counts.
// Throws OverflowError when a count does not fit a signed 32-bit integer.
void ComputeTimings(modTone& m);

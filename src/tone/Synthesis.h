#pragma once

#include "Segments.h"

#include <cmath>
#include <cstdint>
#include <span>

// One term of a sample: the sine of the absolute sample index times the step, scaled and
// rounded to the nearest integer with halves going to the even neighbour. Each of the two
// terms is rounded on its own before they are added. This is the definition every
// faster path must reproduce bit for bit, and their fallback.
inline std::int16_t sampleTerm(double amplitude, std::int32_t l, double step)
{
    return static_cast<std::int16_t>(
        std::nearbyint(amplitude * std::sin(static_cast<double>(l) * step)));
}

inline std::int16_t sampleValue(double amplitude, std::int32_t l, double step1, double step2)
{
    return static_cast<std::int16_t>(sampleTerm(amplitude, l, step1) +
                                     sampleTerm(amplitude, l, step2));
}

// Fills samples[l - 1] with sampleValue(amplitude, l, step1, step2) for every l of every
// segment, using the fast sine and every hardware thread for long buffers. Samples outside
// the segments are left as they are. The amplitude must keep each term within +-16383 so
// that the sum fits 16 bits.
void synthesizeSegments(std::span<std::int16_t> samples, std::span<const Segment> segments,
                        double amplitude);

// The same for a window of a buffer: window[i] is sample firstIndex + i, and only the parts
// of the segments inside the window are written. The segments must be in order and must
// not overlap. threads 0 picks std::thread::hardware_concurrency() for windows long enough
// to gain from it and one thread otherwise.
void synthesizeWindow(std::span<std::int16_t> window, std::int32_t firstIndex,
                      std::span<const Segment> segments, double amplitude, unsigned threads = 0);

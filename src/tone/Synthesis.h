#pragma once

#include "Segments.h"

#include <cmath>
#include <cstdint>
#include <span>

// One term of a sample: the sine of the absolute sample index times the step, scaled and
// rounded to the nearest integer with halves going to the even neighbour. Each of the two
// terms is rounded on its own before they are added.
inline std::int16_t sampleTerm(double amplitude, std::int32_t l, double step)
{
    return static_cast<std::int16_t>(std::nearbyint(amplitude * std::sin(static_cast<double>(l) * step)));
}

inline std::int16_t sampleValue(double amplitude, std::int32_t l, double step1, double step2)
{
    return static_cast<std::int16_t>(sampleTerm(amplitude, l, step1) + sampleTerm(amplitude, l, step2));
}

// Fills samples[l - 1] for every l of every segment. The amplitude must keep each term
// within +-16383 so that the sum fits 16 bits.
void synthesizeSegments(std::span<std::int16_t> samples, std::span<const Segment> segments,
                        double amplitude);

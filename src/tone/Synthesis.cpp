#include "Synthesis.h"

void synthesizeSegments(std::span<std::int16_t> samples, std::span<const Segment> segments,
                        double amplitude)
{
    for (const Segment& segment : segments) {
        for (std::int32_t l = segment.first; l <= segment.last; ++l)
            samples[static_cast<std::size_t>(l) - 1] =
                sampleValue(amplitude, l, segment.step1, segment.step2);
    }
}

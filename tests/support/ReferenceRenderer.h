#pragma once

// The straightforward renderer, kept as the oracle for the tests and the baseline for the
// benchmarks: it walks the sequence sample by sample, one character at a time, and computes
// every sample with one std::sin pair on one thread. Header-only, so that tests and benchmarks
// share it without a library of their own.

#include "RepeatTone.h"
#include "SequenceCounts.h"
#include "ToneLookup.h"
#include "modTone.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// One term, spelled out here rather than taken from the renderer so that the oracle stands
// on its own: the sine of the absolute index times the step, scaled, rounded half to even.
inline std::int16_t referenceTerm(double amplitude, std::int32_t l, double step)
{
    return static_cast<std::int16_t>(
        std::nearbyint(amplitude * std::sin(static_cast<double>(l) * step)));
}

inline std::int16_t referenceSample(double amplitude, std::int32_t l, double step1, double step2)
{
    return static_cast<std::int16_t>(referenceTerm(amplitude, l, step1) +
                                     referenceTerm(amplitude, l, step2));
}

inline std::vector<std::int16_t> referenceRender(const modTone& m, std::string sequence,
                                                 int toneSetIndex)
{
    const std::int32_t n = bufferLength(m, countSegments(sequence));
    std::vector<std::int16_t> samples(static_cast<std::size_t>(n));
    if (m.UseRepeatTone)
        sequence = applyRepeatTone(std::move(sequence));
    std::int64_t segmentEnd = 0;
    std::size_t j = 1; // 1-based position of the next character to consume
    bool afterTone = false;
    double step1 = 0;
    double step2 = 0;
    for (std::int32_t l = 1; l <= n; ++l) {
        if (l > segmentEnd) {
            const std::string character = sequence.substr(j - 1, 1);
            if (character == " ")
                afterTone = false;
            step1 =
                FirstToneFreq(m.Tones, toneSetIndex, character) * 6.28318530717958 / m.SampleRate;
            step2 =
                SecondToneFreq(m.Tones, toneSetIndex, character) * 6.28318530717958 / m.SampleRate;
            if (!afterTone)
                ++j;
            if (sequence[j - 2] == ' ') {
                segmentEnd = l + static_cast<std::int64_t>(m.SequencePauseSamples);
            } else if (afterTone) {
                segmentEnd = l + static_cast<std::int64_t>(m.TonePauseSamples);
                afterTone = false;
                step1 = 0;
                step2 = 0;
            } else {
                segmentEnd = l + static_cast<std::int64_t>(m.ToneSamples);
                afterTone = true;
            }
        }
        samples[static_cast<std::size_t>(l) - 1] = referenceSample(m.Amplitude, l, step1, step2);
    }
    return samples;
}

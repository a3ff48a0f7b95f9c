#include "Timings.h"

#include "ToneErrors.h"
#include "modTone.h"

#include <cfenv>
#include <cmath>
#include <sstream>

std::int32_t roundToInt32(double value)
{
    // nearbyint rounds in the current mode, which is round-half-to-even by default.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        std::ostringstream text;
        text.precision(0);
        text << "Overflow: ";
        if (std::isfinite(value))
            text << std::fixed << value << " samples do not fit";
        else
            text << "the number of samples does not fit";
        text << " a signed 32-bit count (at most 2147483647).";
        throw OverflowError(text.str());
    }
    return static_cast<std::int32_t>(rounded);
}

void ComputeTimings(modTone& m)
{
    m.SampleRate = kSampleRate;
    m.Amplitude = kAmplitude;
    // Each product is formed in double precision first: 0.07 s x 22050 is
    // 1543.5000000000002, which makes 1544, while 0.25 s gives exactly 5512.5 -> 5512.
    m.SequencePauseSamples = roundToInt32(m.SequencePause * kSampleRate);
    m.ToneSamples = roundToInt32(m.ToneDuration * m.SampleRate);
    m.TonePauseSamples = roundToInt32(m.TonePause * m.SampleRate);
}

#include "CallFraming.h"

#include "SequenceCounts.h"
#include "Timings.h"
#include "ToneErrors.h"
#include "modTone.h"

#include <cmath>
#include <limits>
#include <string>

namespace
{

// The most samples one sound buffer holds: its length in bytes is a signed 32-bit value.
constexpr std::int64_t kMostSamples = std::numeric_limits<std::int32_t>::max() / 2;

// Milliseconds to samples, formed as ComputeTimings forms its counts (0.25 s -> 5512).
std::int32_t samplesOf(double ms)
{
    return roundToInt32(ms / 1000 * kSampleRate);
}

// Sequences that hold a tone: a non-blank character at the start or after a blank.
std::int64_t firstTones(std::string_view sequence)
{
    std::int64_t count = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i)
        if (sequence[i] != ' ' && (i == 0 || sequence[i - 1] == ' '))
            ++count;
    return count;
}

} // namespace

std::int64_t FramedLayout::total() const
{
    return callStart(calls) - 1 - gap + tail;
}

std::int64_t FramedLayout::callStart(std::int32_t k) const
{
    return leadIn + k * (callLength + gap) + 1;
}

FramedLayout planFraming(const modTone& m, std::string_view sequence)
{
    const CallFraming& framing = m.Framing;
    FramedLayout layout;
    std::int64_t call = bufferLength(m, countSegments(sequence));
    if (framing.firstToneMs) {
        layout.firstToneSamples = roundToInt32(*framing.firstToneMs / 1000 * m.SampleRate);
        call += (std::int64_t{*layout.firstToneSamples} - m.ToneSamples) * firstTones(sequence);
    }
    layout.leadIn = samplesOf(framing.leadInMs);
    layout.tail = samplesOf(framing.tailMs);
    layout.gap = samplesOf(framing.callGapMs);
    layout.calls = framing.calls;
    if (layout.leadIn < 0 || layout.tail < 0 || layout.gap < 0 || layout.calls < 1 || call < 1 ||
        !(framing.levelDb <= 0))
        throw InvalidArgumentError("Framing durations must not be negative, a call is sent at "
                                   "least once, and the level is at most 0 dB.");
    const std::int64_t total =
        layout.leadIn + layout.calls * (call + layout.gap) - layout.gap + layout.tail;
    // A gap that no buffer could hold is refused even where a single call leaves it out.
    if (layout.gap > kMostSamples)
        throw OverflowError("Overflow: the gap between calls would need " +
                            std::to_string(layout.gap) +
                            " samples, more than one sound buffer holds (1073741823). Shorten "
                            "the gap.");
    if (total > kMostSamples)
        throw OverflowError("Overflow: the framed call would need " + std::to_string(total) +
                            " samples, more than one sound buffer holds (1073741823). Send "
                            "fewer calls or shorten the silences.");
    layout.callLength = call;
    return layout;
}

void applyLevel(std::span<std::int16_t> samples, double levelDb)
{
    if (levelDb == 0)
        return;
    const double gain = std::pow(10.0, levelDb / 20);
    // nearbyint rounds half to even in the default rounding mode; a gain of at most 1 keeps
    // every product inside 16 bits.
    for (std::int16_t& sample : samples)
        sample = static_cast<std::int16_t>(std::nearbyint(sample * gain));
}

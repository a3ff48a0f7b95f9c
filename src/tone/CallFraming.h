#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

struct modTone;

// How the command line frames a rendered sequence for a radio: silence before and after,
// a longer first tone to open a scanning receiver, the call sent several times, a lower
// level. Everything is off by default, and then the buffer is exactly the window's.
struct CallFraming {
    double leadInMs = 0; // silence before the first call
    double tailMs = 0;   // silence after the last call
    std::optional<double> firstToneMs =
        std::nullopt;       // the first tone of each sequence, instead of the tone
    std::int32_t calls = 1; // the whole rendered sequence this many times
    double callGapMs = 0;   // silence between two calls
    double levelDb = 0;     // a gain of 0 dB or less

    bool isOff() const
    {
        return leadInMs == 0 && tailMs == 0 && !firstToneMs && calls == 1 && levelDb == 0;
    }
};

// Where the pieces of a framed buffer lie, in samples. The calls are identical copies: each
// is rendered with its sample index counted from its own first sample, as a lone send is.
struct FramedLayout {
    // 64 bits, so that no sum of the pieces can overflow before it is checked against the
    // most samples one buffer holds.
    std::int64_t leadIn = 0;
    std::int64_t callLength = 0; // one call, its first tones lengthened
    std::int32_t calls = 1;
    std::int64_t gap = 0;
    std::int64_t tail = 0;
    std::optional<std::int32_t> firstToneSamples; // the count; the tone lasts count + 1 samples

    std::int64_t total() const;
    // Index (from 1) of the first sample of call k (from 0) in the framed buffer.
    std::int64_t callStart(std::int32_t k) const;
};

// Silences last exactly their milliseconds in samples (half to even, as the sample counts
// round); ComputeTimings must have run. Throws OverflowError when the framed buffer, or any one
// silence in it, would hold more samples than one sound buffer can (2^30 - 1), before anything
// is allocated.
FramedLayout planFraming(const modTone& m, std::string_view sequence);

// Multiplies every sample by 10^(dB/20), rounding half to even. 0 dB leaves them untouched.
void applyLevel(std::span<std::int16_t> samples, double levelDb);

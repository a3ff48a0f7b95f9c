#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct modTone;

// A run of samples played with one pair of angular steps (radians per sample).
// Sample indices count from 1, from the first sample of the whole buffer.
struct Segment {
    std::int32_t first = 0;
    std::int32_t last = 0;
    double step1 = 0;
    double step2 = 0;
};

// The literal the steps are computed with; it is not the full-precision 2*pi.
inline constexpr double kTwoPi = 6.28318530717958;

// Walks the sequence the way the synthesis consumes it and returns the segments that
// fill samples 1 to n. Frequencies come from m.Tones for the given tone-set index;
// a symbol with no tone set selected throws SubscriptOutOfRangeError. With firstToneSamples,
// the first tone of each sequence (at the start or after a blank) lasts that count + 1
// samples instead of ToneSamples + 1; n must then count them so.
std::vector<Segment> planSegments(const modTone& m, std::string_view sequence, int toneSetIndex,
                                  std::int32_t n,
                                  std::optional<std::int32_t> firstToneSamples = std::nullopt);

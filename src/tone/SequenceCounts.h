#pragma once

#include <cstdint>
#include <string_view>

struct modTone;

// What the counting pass finds in a sequence text.
struct SequenceCounts {
    std::int32_t tones = 0;  // non-blank characters
    std::int32_t blanks = 0; // blanks, each a pause between sequences
    std::int32_t pairs = 0;  // adjacent non-blank pairs, each a pause between tones
};

// Throws OverflowError when a count does not fit a signed 32-bit integer.
SequenceCounts countSegments(std::string_view sequence);

// The number of samples the sequence renders to, from the counts of ComputeTimings.
// Every segment lasts its count + 1 samples. Throws OverflowError when the length
// leaves the signed 32-bit range, InvalidArgumentError for negative sample counts.
std::int32_t bufferLength(const modTone& m, const SequenceCounts& counts);

#pragma once

#include "SequenceCounts.h"

#include <cstdint>
#include <string>
#include <string_view>

struct modTone;

// The rendering steps of one send, in the order the playback cycle runs them around
// the device steps. ComputeTimings must have run first.

// The number of samples the sequence renders to, framed as m.Framing asks. Throws
// OverflowError (or InvalidArgumentError for a bad framing) without allocating anything.
std::int32_t samplesNeeded(const modTone& m, std::string_view sequence);

// Counting pass, buffer length and reallocation of m.SampleBuffer (zero-filled).
// Throws OverflowError or OutOfMemoryError before anything is allocated.
std::int32_t prepareBuffer(modTone& m, std::string_view sequence);

// Repeat-tone substitution (when m.UseRepeatTone is set) and synthesis of every sample
// of the buffer that prepareBuffer sized for the same sequence.
void renderSamples(modTone& m, std::string sequence, int toneSetIndex);

// Both steps: renders the sequence into m.SampleBuffer without any device.
void renderSequence(modTone& m, const std::string& sequence, int toneSetIndex);

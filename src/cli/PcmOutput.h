#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

// Writes samples as raw 16-bit little-endian PCM. Returns false when the stream failed.
bool writeRawPcm(std::ostream& out, std::span<const std::int16_t> samples);

// Writes a WAV file (PCM 16-bit, mono, 22050 Hz) to an open descriptor, which stays open.
// Returns the reason of a failure, empty on success.
std::string writeWavFile(int fd, std::span<const std::int16_t> samples);

// Writes raw PCM to an open descriptor, which stays open. Returns the reason of a failure,
// empty on success.
std::string writeRawFile(int fd, std::span<const std::int16_t> samples);

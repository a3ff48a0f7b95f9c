#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

// Writes samples as raw 16-bit little-endian PCM. Returns false when the stream failed.
bool writeRawPcm(std::ostream& out, std::span<const std::int16_t> samples);

// Writes a WAV file (PCM 16-bit, mono, 22050 Hz). Returns an error text, empty on success.
std::string writeWavFile(const std::string& path, std::span<const std::int16_t> samples);

// Writes a raw PCM file. Returns an error text, empty on success.
std::string writeRawFile(const std::string& path, std::span<const std::int16_t> samples);

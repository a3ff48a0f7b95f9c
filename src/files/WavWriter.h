#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

// Writes samples as a WAV file (PCM, 16-bit, mono) to an open descriptor, a SafeFileWriter's,
// which stays open. Each platform has its writer; every one gives the same bytes for the
// same samples: the 44-byte canonical header, then the samples little-endian.
class WavWriter
{
public:
    virtual ~WavWriter() = default;
    // The reason of a failure ("No space left on device"), empty on success.
    virtual std::string write(int fd, std::span<const std::int16_t> samples,
                              std::uint32_t samplesPerSec) = 0;
};

// The platform's writer.
std::unique_ptr<WavWriter> makeWavWriter();

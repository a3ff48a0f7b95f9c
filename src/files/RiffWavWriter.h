#pragma once

#include "WavWriter.h"

// The WAV file written byte by byte: needs no library, so it serves where libsndfile is not
// built (Windows), and it is checked against libsndfile's output where both are.
class RiffWavWriter : public WavWriter
{
public:
    std::string write(int fd, std::span<const std::int16_t> samples,
                      std::uint32_t samplesPerSec) override;
};

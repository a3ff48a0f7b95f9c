#pragma once

#include "WavWriter.h"

// The WAV file written by libsndfile, the Linux build's writer.
class SndfileWavWriter : public WavWriter
{
public:
    std::string write(int fd, std::span<const std::int16_t> samples,
                      std::uint32_t samplesPerSec) override;
};

#include "SndfileWavWriter.h"

std::unique_ptr<WavWriter> makeWavWriter()
{
    return std::make_unique<SndfileWavWriter>();
}

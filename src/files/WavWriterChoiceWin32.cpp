#include "RiffWavWriter.h"

// libsndfile is not built for Windows here; the byte-by-byte writer gives the same file.
std::unique_ptr<WavWriter> makeWavWriter()
{
    return std::make_unique<RiffWavWriter>();
}

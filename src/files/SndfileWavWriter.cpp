#include "SndfileWavWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sndfile.h>

namespace
{

constexpr std::size_t kChunk = 1 << 16;

} // namespace

std::string SndfileWavWriter::write(int fd, std::span<const std::int16_t> samples,
                                    std::uint32_t samplesPerSec)
{
    SF_INFO info{};
    info.samplerate = static_cast<int>(samplesPerSec);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    // The system's reason where there is one, worded as for raw output ("No space left on
    // device"), rather than the library's "System error : ..." text.
    errno = 0;
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (!file)
        return errno != 0 ? std::strerror(errno) : sf_strerror(nullptr);
    std::string error;
    errno = 0;
    for (std::size_t i = 0; i < samples.size(); i += kChunk) {
        const auto count = static_cast<sf_count_t>(std::min(kChunk, samples.size() - i));
        if (sf_write_short(file, samples.data() + i, count) != count) {
            error = std::strerror(errno != 0 ? errno : EIO);
            break;
        }
    }
    // Closing writes the final sizes into the header; a failure there is a failure too.
    errno = 0;
    if (sf_close(file) != 0 && error.empty())
        error = errno != 0 ? std::strerror(errno) : "the header could not be completed";
    return error;
}

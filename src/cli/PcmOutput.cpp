#include "PcmOutput.h"

#include "SafeFileWriter.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <sndfile.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kRate = 22050;
constexpr std::size_t kChunk = 1 << 16;

// Samples i to i + count as little-endian bytes, whatever the machine's own order.
void littleEndianBytes(std::span<const std::int16_t> samples, std::size_t i, std::size_t count,
                       std::vector<char>& bytes)
{
    bytes.resize(count * 2);
    for (std::size_t k = 0; k < count; ++k) {
        const auto value = static_cast<std::uint16_t>(samples[i + k]);
        bytes[2 * k] = static_cast<char>(value & 0xff);
        bytes[2 * k + 1] = static_cast<char>(value >> 8);
    }
}

} // namespace

bool writeRawPcm(std::ostream& out, std::span<const std::int16_t> samples)
{
    if constexpr (std::endian::native == std::endian::little) {
        for (std::size_t i = 0; i < samples.size() && out; i += kChunk) {
            const std::size_t count = std::min(kChunk, samples.size() - i);
            out.write(reinterpret_cast<const char*>(samples.data() + i),
                      static_cast<std::streamsize>(count * 2));
        }
    } else {
        std::vector<char> bytes;
        for (std::size_t i = 0; i < samples.size() && out; i += kChunk) {
            littleEndianBytes(samples, i, std::min(kChunk, samples.size() - i), bytes);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
    }
    out.flush();
    return static_cast<bool>(out);
}

std::string writeWavFile(int fd, std::span<const std::int16_t> samples)
{
    SF_INFO info{};
    info.samplerate = kRate;
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

std::string writeRawFile(int fd, std::span<const std::int16_t> samples)
{
    std::vector<char> bytes;
    for (std::size_t i = 0; i < samples.size(); i += kChunk) {
        littleEndianBytes(samples, i, std::min(kChunk, samples.size() - i), bytes);
        if (std::string reason = writeAllBytes(fd, {bytes.data(), bytes.size()}); !reason.empty())
            return reason;
    }
    return {};
}

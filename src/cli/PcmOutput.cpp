#include "PcmOutput.h"

#include "SafeFileWriter.h"
#include "WavWriter.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace
{

constexpr std::uint32_t kRate = 22050;
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
    return makeWavWriter()->write(fd, samples, kRate);
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

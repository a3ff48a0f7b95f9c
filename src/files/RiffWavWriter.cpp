#include "RiffWavWriter.h"

#include "SafeFileWriter.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace
{

constexpr std::size_t kChunkSamples = 1 << 16;
constexpr std::uint32_t kHeaderBytes = 44;

void put16(std::vector<char>& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<char>(value & 0xff));
    bytes.push_back(static_cast<char>(value >> 8));
}

void put32(std::vector<char>& bytes, std::uint32_t value)
{
    put16(bytes, static_cast<std::uint16_t>(value & 0xffff));
    put16(bytes, static_cast<std::uint16_t>(value >> 16));
}

void putTag(std::vector<char>& bytes, const char (&tag)[5])
{
    bytes.insert(bytes.end(), tag, tag + 4);
}

} // namespace

std::string RiffWavWriter::write(int fd, std::span<const std::int16_t> samples,
                                 std::uint32_t samplesPerSec)
{
    // Both sizes in the header are 32-bit: the RIFF chunk's counts the header after it too.
    if (samples.size() > (std::numeric_limits<std::uint32_t>::max() - kHeaderBytes) / 2)
        return "the sound is too long for a WAV file";
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<char> bytes;
    bytes.reserve(kHeaderBytes);
    putTag(bytes, "RIFF");
    put32(bytes, kHeaderBytes - 8 + dataBytes);
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    put32(bytes, 16);
    put16(bytes, 1); // PCM
    put16(bytes, 1); // mono
    put32(bytes, samplesPerSec);
    put32(bytes, samplesPerSec * 2);
    put16(bytes, 2);
    put16(bytes, 16);
    putTag(bytes, "data");
    put32(bytes, dataBytes);
    if (std::string reason = writeAllBytes(fd, {bytes.data(), bytes.size()}); !reason.empty())
        return reason;
    for (std::size_t i = 0; i < samples.size(); i += kChunkSamples) {
        const std::size_t count = std::min(kChunkSamples, samples.size() - i);
        bytes.clear();
        for (std::size_t k = 0; k < count; ++k)
            put16(bytes, static_cast<std::uint16_t>(samples[i + k]));
        if (std::string reason = writeAllBytes(fd, {bytes.data(), bytes.size()}); !reason.empty())
            return reason;
    }
    return {};
}

#include "PcmOutput.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sndfile.h>
#include <vector>

namespace
{

constexpr int kRate = 22050;
constexpr std::size_t kChunk = 1 << 16;

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
            const std::size_t count = std::min(kChunk, samples.size() - i);
            bytes.resize(count * 2);
            for (std::size_t k = 0; k < count; ++k) {
                const auto value = static_cast<std::uint16_t>(samples[i + k]);
                bytes[2 * k] = static_cast<char>(value & 0xff);
                bytes[2 * k + 1] = static_cast<char>(value >> 8);
            }
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
    }
    out.flush();
    return static_cast<bool>(out);
}

std::string writeWavFile(const std::string& path, std::span<const std::int16_t> samples)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return "cannot write '" + path + "': " + sf_strerror(nullptr);
    std::string error;
    for (std::size_t i = 0; i < samples.size(); i += kChunk) {
        const auto count = static_cast<sf_count_t>(std::min(kChunk, samples.size() - i));
        if (sf_write_short(file, samples.data() + i, count) != count) {
            error = "cannot write '" + path + "': " + sf_strerror(file);
            break;
        }
    }
    if (sf_close(file) != 0 && error.empty())
        error = "cannot write '" + path + "': the file could not be closed";
    return error;
}

std::string writeRawFile(const std::string& path, std::span<const std::int16_t> samples)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return "cannot write '" + path + "': " + std::strerror(errno);
    if (!writeRawPcm(out, samples))
        return "cannot write '" + path + "': " + std::strerror(errno);
    out.close();
    if (!out)
        return "cannot write '" + path + "': " + std::strerror(errno);
    return {};
}

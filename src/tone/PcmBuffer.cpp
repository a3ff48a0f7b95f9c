#include "PcmBuffer.h"

#include "HugePages.h"
#include "ToneErrors.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

void PcmBuffer::FreeSamples::operator()(std::int16_t* samples) const noexcept
{
    std::free(samples);
}

void PcmBuffer::reallocate(std::int32_t n)
{
    m_samples.reset();
    m_size = 0;
    if (n < 1)
        throw OutOfMemoryError("A sample buffer of " + std::to_string(n) +
                               " samples cannot be allocated.");
    // The device takes the length in bytes as a signed 32-bit value.
    if (n > std::numeric_limits<std::int32_t>::max() / 2)
        throw OutOfMemoryError("Out of memory: " + std::to_string(n) +
                               " samples are more than one sound buffer can hold (2^30).");
    // calloc rather than a zero-filling new: a large block comes straight from fresh pages
    // that are already zero, so no serial pass touches them; the synthesis threads fault
    // them in while writing.
    m_samples.reset(
        static_cast<std::int16_t*>(std::calloc(static_cast<std::size_t>(n), sizeof(std::int16_t))));
    if (!m_samples)
        throw OutOfMemoryError("Out of memory: no room for " + std::to_string(n) + " samples (" +
                               std::to_string(2LL * n / (1024 * 1024)) + " MiB).");
    adviseHugePages(m_samples.get(), static_cast<std::size_t>(n) * sizeof(std::int16_t));
    m_size = n;
}

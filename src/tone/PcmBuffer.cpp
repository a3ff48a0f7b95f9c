#include "PcmBuffer.h"

#include "ToneErrors.h"

#include <cstdint>
#include <limits>
#include <new>
#include <string>

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
    m_samples.reset(new (std::nothrow) std::int16_t[static_cast<std::size_t>(n)]());
    if (!m_samples)
        throw OutOfMemoryError("Out of memory: no room for " + std::to_string(n) + " samples (" +
                               std::to_string(2LL * n / (1024 * 1024)) + " MiB).");
    m_size = n;
}

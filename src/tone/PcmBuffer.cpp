#include "PcmBuffer.h"

#include "ToneErrors.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <sys/mman.h>

void PcmBuffer::FreeSamples::operator()(std::int16_t* samples) const noexcept
{
    std::free(samples);
}

namespace
{

// Blocks from this size on are worth huge pages.
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// Asks for transparent huge pages over the whole 2 MiB stretches of a large block. Fresh
// memory is faulted in on first touch; in 4 KiB pages a long send takes tens of thousands
// of faults, which cost more than the synthesis on some virtual machines. Only advice: a
// kernel without huge pages ignores it, and the samples are the same either way.
void adviseHugePages(void* block, std::size_t bytes)
{
    if (bytes < 2 * kHugePageBytes)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (begin + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kHugePageBytes - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

} // namespace

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

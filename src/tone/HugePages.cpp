#include "HugePages.h"

#include <cstdint>
#include <sys/mman.h>

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

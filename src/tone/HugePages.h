#pragma once

#include <cstddef>

// Advice that a large block of samples be backed by huge pages where the system has them;
// the samples are the same either way.
void adviseHugePages(void* block, std::size_t bytes);

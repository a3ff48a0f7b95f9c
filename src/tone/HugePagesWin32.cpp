#include "HugePages.h"

// Windows gives large pages only to a process with SeLockMemoryPrivilege, which a user's
// program does not hold; the ordinary pages do.
void adviseHugePages(void*, std::size_t)
{
}

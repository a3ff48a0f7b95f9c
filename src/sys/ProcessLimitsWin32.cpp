#include "ProcessLimits.h"

#include <cerrno>
#include <cstring>
#include <windows.h>

namespace
{

DWORD WINAPI nothing(LPVOID)
{
    return 0;
}

} // namespace

std::string ProcessLimits::words(int error)
{
    switch (error) {
    case EAGAIN:
        return "the system may start no more threads";
    case ENOMEM:
        return "there is not enough memory";
    default:
        return std::strerror(error);
    }
}

std::string ProcessLimits::threadShortage()
{
    // CreateThread itself: its failure comes back as a code, and no exception crosses the
    // wave-out library's own threads.
    HANDLE thread = CreateThread(nullptr, 0, nothing, nullptr, 0, nullptr);
    if (thread == nullptr)
        return "cannot start a thread: error " + std::to_string(GetLastError());
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return {};
}

// Windows sets no small per-process count of open files as ulimit -n does: its handles run
// out only with memory, which the play's own allocations report.
std::string ProcessLimits::descriptorShortage(int)
{
    return {};
}

std::string ProcessLimits::shortage(int descriptors)
{
    std::string why = threadShortage();
    return why.empty() ? descriptorShortage(descriptors) : why;
}

#include "ProcessLimits.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace
{

std::string limitText(int resource)
{
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return {};
    return " " + std::to_string(limit.rlim_cur);
}

void* nothing(void*)
{
    return nullptr;
}

} // namespace

std::string ProcessLimits::words(int error)
{
    switch (error) {
    case EAGAIN:
        return "this user may run no more processes and threads (ulimit -u" +
               limitText(RLIMIT_NPROC) + ")";
    case EMFILE:
        return "this process may open no more files (ulimit -n" + limitText(RLIMIT_NOFILE) + ")";
    case ENFILE:
        return "the system may open no more files";
    case ENOMEM:
        return "there is not enough memory";
    default:
        return std::strerror(error);
    }
}

std::string ProcessLimits::threadShortage()
{
    // pthread_create itself, not std::thread: its error comes back as a number, and no
    // exception crosses a library that was not built for one.
    pthread_t thread;
    const int made = ::pthread_create(&thread, nullptr, nothing, nullptr);
    if (made != 0)
        return "cannot start a thread: " + words(made);
    ::pthread_join(thread, nullptr);
    return {};
}

std::string ProcessLimits::descriptorShortage(int needed)
{
    // Counted by making them, above the standard streams, and closing them again: the limit
    // alone does not say how many are open already.
    std::vector<int> made;
    int error = 0;
    while (static_cast<int>(made.size()) < needed) {
        const int fd = made.empty() ? ::open("/dev/null", O_RDONLY | O_CLOEXEC)
                                    : ::fcntl(made.front(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0) {
            error = errno;
            break;
        }
        made.push_back(fd);
    }
    for (const int fd : made)
        ::close(fd);
    if (error == 0)
        return {};
    if (error != EMFILE)
        return "cannot open a file: " + words(error);
    return "cannot open enough files: this process may have" + limitText(RLIMIT_NOFILE) +
           " open (ulimit -n), too few to play";
}

std::string ProcessLimits::shortage(int descriptors)
{
    std::string why = threadShortage();
    return why.empty() ? descriptorShortage(descriptors) : why;
}

#include "BlockingLineWait.h"

#include <algorithm>
#include <poll.h>

bool BlockingLineWait::waitFor(std::chrono::milliseconds limit, int fd,
                               const std::function<bool()>& ready)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    constexpr std::chrono::milliseconds kSlice{5};
    bool watching = fd >= 0;
    for (;;) {
        if (ready())
            return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        const auto slice = std::min(left, watching ? std::chrono::milliseconds(50) : kSlice);
        pollfd wait{watching ? fd : -1, POLLIN, 0};
        // A descriptor that stays readable (a socket at its end) is watched once; slices then.
        if (::poll(&wait, 1, static_cast<int>(slice.count())) > 0 && wait.revents != 0)
            watching = false;
    }
}

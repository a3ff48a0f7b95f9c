#include "PollEventPump.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

PollEventPump::PollEventPump()
{
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wake[0] = m_wake[1] = -1;
}

PollEventPump::~PollEventPump()
{
    for (const int fd : m_wake)
        if (fd >= 0)
            ::close(fd);
}

bool PollEventPump::watch(int fd, std::function<void()> onReadable)
{
    if (fd < 0)
        return false;
    unwatch(fd);
    m_watched.emplace_back(fd, std::make_shared<std::function<void()>>(std::move(onReadable)));
    return true;
}

void PollEventPump::unwatch(int fd)
{
    std::erase_if(m_watched, [fd](const auto& watched) { return watched.first == fd; });
}

void PollEventPump::processPendingEvents()
{
    pollOnce(0);
}

void PollEventPump::waitForEvents(std::chrono::milliseconds limit)
{
    if (limit.count() <= 0)
        return;
    // poll() counts whole milliseconds and is never restarted after a signal: a signal ends
    // the wait, and the next pass dispatches it.
    const auto timeout = static_cast<int>(std::min<std::int64_t>(limit.count(), INT_MAX));
    pollOnce(timeout);
}

void PollEventPump::wakeUp()
{
    const char byte = 0;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &byte, 1);
}

bool PollEventPump::pollOnce(int timeoutMs)
{
    std::vector<pollfd> fds;
    fds.push_back({m_wake[0], POLLIN, 0});
    for (const auto& watched : m_watched)
        fds.push_back({watched.first, POLLIN, 0});
    const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
    if (ready < 0 && errno == EINTR && timeoutMs != 0)
        return pollOnce(0);
    if (ready <= 0)
        return false;
    if (fds[0].revents != 0) {
        char drain[64];
        while (::read(m_wake[0], drain, sizeof drain) > 0) {
        }
    }
    // A handler may watch or unwatch: the ready ones are taken first, and each is run only
    // while it is still watched.
    std::vector<std::shared_ptr<std::function<void()>>> handlers;
    for (std::size_t i = 1; i < fds.size(); ++i)
        if (fds[i].revents != 0)
            handlers.push_back(m_watched[i - 1].second);
    for (const auto& handler : handlers)
        if (std::any_of(m_watched.begin(), m_watched.end(),
                        [&](const auto& watched) { return watched.second == handler; }))
            (*handler)();
    return true;
}

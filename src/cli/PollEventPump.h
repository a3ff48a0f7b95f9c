#pragma once

#include "EventPump.h"

#include <functional>
#include <memory>
#include <vector>

// The command line's own event loop: poll() on a wake-up pipe and on the descriptors it is
// given to watch (the signal module's pipe). POSIX only.
class PollEventPump : public EventPump
{
public:
    PollEventPump();
    ~PollEventPump() override;
    PollEventPump(const PollEventPump&) = delete;
    PollEventPump& operator=(const PollEventPump&) = delete;

    bool watch(int fd, std::function<void()> onReadable) override;
    void unwatch(int fd) override;

    void processPendingEvents() override;
    void waitForEvents(std::chrono::milliseconds limit) override;
    void wakeUp() override;

private:
    // Returns whether anything was ready.
    bool pollOnce(int timeoutMs);

    int m_wake[2] = {-1, -1};
    std::vector<std::pair<int, std::shared_ptr<std::function<void()>>>> m_watched;
};

#pragma once

#include "EventPump.h"

#include <functional>
#include <map>
#include <stdexcept>

// An event pump with no events of its own: a test runs its code on each pass instead (a
// re-entrant Send, the end of the play...). A wait returns at once; onWait lets the test make
// time pass. A runaway wait fails the test instead of hanging it. Watched descriptors are
// only recorded; ready() plays one turning readable.
class FakeEventPump : public EventPump
{
public:
    std::function<void(int pass)> onPass = [](int) {};
    std::function<void(std::chrono::milliseconds limit)> onWait = [](auto) {};
    int passes = 0, wakeUps = 0;

    void processPendingEvents() override
    {
        onPass(++passes <= 100000 ? passes : throw std::runtime_error("the wait never ended"));
    }
    void waitForEvents(std::chrono::milliseconds limit) override { onWait(limit); }
    void wakeUp() override { ++wakeUps; }
    bool watch(int fd, std::function<void()> onReadable) override
    {
        watched[fd] = std::move(onReadable);
        return true;
    }
    void unwatch(int fd) override { watched.erase(fd); }
    // As a watched descriptor turning readable: its handler runs.
    void ready(int fd)
    {
        if (const auto found = watched.find(fd); found != watched.end()) {
            const auto handler = found->second;
            handler();
        }
    }

    std::map<int, std::function<void()>> watched;
};

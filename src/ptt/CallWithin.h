#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Runs a call that can block (a library that waits on a radio or a socket) on a thread of its
// own and waits for it no longer than a limit. A late call is abandoned, not stopped: it goes
// on to its end on its own thread, and then hands its result to whenLate, which must release
// whatever the result owns. The caller never waits on it again, and holds no lock meanwhile.
template <typename T>
std::optional<T> callWithin(std::chrono::milliseconds limit, std::function<T()> call,
                            std::function<void(T&)> whenLate)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<T> result;
        bool abandoned = false;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, call = std::move(call), whenLate = std::move(whenLate)] {
        T result = call();
        std::unique_lock lock(shared->mutex);
        if (shared->abandoned) {
            lock.unlock();
            whenLate(result);
            return;
        }
        shared->result = std::move(result);
        shared->done.notify_one();
    }).detach();
    std::unique_lock lock(shared->mutex);
    if (shared->done.wait_for(lock, limit, [&] { return shared->result.has_value(); }))
        return std::move(shared->result);
    shared->abandoned = true;
    return std::nullopt;
}

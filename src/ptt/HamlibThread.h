#pragma once

#include "LineWait.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// hamlib is not safe to call from two threads at once: rig_open switches the process's locale
// and restores it, and keeps state of its own between calls. So every hamlib call of the
// process runs on this one thread, one after the other, in the order asked; a call that is
// late for its caller still runs alone, and the next one waits behind it.
//
// The thread starts at the first call and lives as long as the process: it is never joined,
// since a call may still wait on a radio when the program ends.
class HamlibThread
{
public:
    static HamlibThread& instance();

    // Queues call and waits for its result no longer than limit, counted from now, the wait in
    // the queue included. When the limit passes first, the caller gets nothing and never waits
    // again; the thread then hands whenLate the late result, or nothing when the call had not
    // started (it is then dropped, never run late). whenLate must free what the result, or the
    // call's captures, own. Both run on the thread. With a wait, the caller waits through it
    // (in its event loop), and a stop of that wait ends it as the limit would.
    template <typename T>
    std::optional<T> run(std::chrono::milliseconds limit, std::function<T()> call,
                         std::function<void(std::optional<T>&)> whenLate, LineWait* wait = nullptr);

private:
    HamlibThread() = default;
    void post(std::function<void()> job);
    void loop();

    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_jobs;
};

template <typename T>
std::optional<T> HamlibThread::run(std::chrono::milliseconds limit, std::function<T()> call,
                                   std::function<void(std::optional<T>&)> whenLate, LineWait* wait)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<T> result;
        bool abandoned = false;
        LineWait* wait = nullptr; // woken under the mutex, so never after the caller has left
    };
    auto shared = std::make_shared<Shared>();
    shared->wait = wait;
    post([shared, call = std::move(call), whenLate = std::move(whenLate)] {
        std::unique_lock lock(shared->mutex);
        if (shared->abandoned) {
            lock.unlock();
            std::optional<T> none;
            whenLate(none);
            return;
        }
        lock.unlock();
        std::optional<T> result = call();
        lock.lock();
        if (shared->abandoned) {
            lock.unlock();
            whenLate(result);
            return;
        }
        shared->result = std::move(result);
        shared->done.notify_one();
        if (shared->wait)
            shared->wait->wakeUp();
    });
    if (wait) {
        wait->waitFor(limit, -1, [&] {
            std::lock_guard lock(shared->mutex);
            return shared->result.has_value();
        });
    }
    std::unique_lock lock(shared->mutex);
    if (wait ? shared->result.has_value()
             : shared->done.wait_for(lock, limit, [&] { return shared->result.has_value(); }))
        return std::move(shared->result);
    shared->abandoned = true;
    return std::nullopt;
}

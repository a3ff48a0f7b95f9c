#include "HamlibThread.h"

#include "ProcessLimits.h"

#include <memory>
#include <stdexcept>
#include <system_error>
#include <thread>

HamlibThread& HamlibThread::instance()
{
    // Never destroyed: a call blocked in hamlib at exit must not meet a destroyed queue.
    // A thread that cannot start throws, in words, and the next call tries again.
    static HamlibThread* const thread = [] {
        std::unique_ptr<HamlibThread> made(new HamlibThread);
        try {
            std::thread([queue = made.get()] { queue->loop(); }).detach();
        } catch (const std::system_error& e) {
            throw std::runtime_error("cannot start hamlib's thread: " +
                                     ProcessLimits::words(e.code().value()));
        }
        return made.release();
    }();
    return *thread;
}

void HamlibThread::post(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_queued.notify_one();
}

void HamlibThread::loop()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_queued.wait(lock, [this] { return !m_jobs.empty(); });
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

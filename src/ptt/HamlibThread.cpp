#include "HamlibThread.h"

#include <thread>

HamlibThread& HamlibThread::instance()
{
    // Never destroyed: a call blocked in hamlib at exit must not meet a destroyed queue.
    static HamlibThread* const thread = [] {
        auto* made = new HamlibThread;
        std::thread([made] { made->loop(); }).detach();
        return made;
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

#include "CaughtSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// The pipe each signal is written to; -1 where none. A lock-free atomic is safe to read in
// a handler.
std::atomic<int> g_writeEnd[NSIG];

extern "C" void writeSignal(int signal)
{
    const int saved = errno;
    const int fd = g_writeEnd[signal].load();
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a wake-up; dropping this one loses nothing.
    if (fd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(fd, &byte, 1);
    errno = saved;
}

struct PipeTableStart {
    PipeTableStart()
    {
        for (auto& fd : g_writeEnd)
            fd = -1;
    }
} const g_pipeTableStart;

} // namespace

CaughtSignals::CaughtSignals(const std::vector<int>& signalNumbers,
                             std::function<void(int)> onSignal)
    : m_onSignal(std::move(onSignal))
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { drain(); });
    // The pipe is in place before the handler: a signal between the two reaches this one.
    for (const int signal : signalNumbers) {
        if (signal <= 0 || signal >= NSIG)
            continue;
        m_signals.push_back(signal);
        m_olderPipes.push_back(g_writeEnd[signal].exchange(m_pipe[1]));
    }
    m_actions = std::make_unique<SignalActions>(m_signals, writeSignal);
}

CaughtSignals::~CaughtSignals()
{
    // The older pipes first: a signal until the older action is back still reaches one.
    for (std::size_t i = 0; i < m_signals.size(); ++i)
        g_writeEnd[m_signals[i]] = m_olderPipes[i];
    m_actions.reset();
    m_notifier.reset();
    for (int& fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void CaughtSignals::drain()
{
    unsigned char byte = 0;
    while (::read(m_pipe[0], &byte, 1) == 1)
        if (m_onSignal)
            m_onSignal(byte);
}

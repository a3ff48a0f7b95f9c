#include "ProcessSignals.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// Read by the handler: lock-free atomics and plain data written before the handler can see it.
std::array<std::atomic<bool>, NSIG> g_caught{};
std::array<std::atomic<bool>, NSIG> g_routed{};
std::atomic<bool> g_hasPendingFile{false};
char g_pendingFile[4096];
int g_pipe[2] = {-1, -1};
struct sigaction g_handlerAction {
};

// The receivers, on the event loop's thread only.
std::array<std::function<void(int)>, NSIG> g_receivers;

bool valid(int signal)
{
    return signal > 0 && signal < NSIG;
}

bool suspends(int signal)
{
    return signal == SIGTSTP || signal == SIGTTIN || signal == SIGTTOU;
}

// Async-signal-safe. With the default action back and the signal unblocked, raise() ends the
// process, or stops it and returns once it is continued; the handler is then put back.
void usualCourse(int signal) noexcept
{
    struct sigaction usual {
    };
    usual.sa_handler = SIG_DFL;
    sigemptyset(&usual.sa_mask);
    ::sigaction(signal, &usual, nullptr);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
    ::raise(signal);
    ::sigaction(signal, &g_handlerAction, nullptr);
}

extern "C" void onSignal(int signal)
{
    const int saved = errno;
    if (g_routed[signal].load()) {
        const auto byte = static_cast<unsigned char>(signal);
        // A full pipe already holds a wake-up; dropping this one loses only a repeat.
        [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    } else {
        if (!suspends(signal) && g_hasPendingFile.load())
            ::unlink(g_pendingFile);
        usualCourse(signal);
    }
    errno = saved;
}

// Linux lists each thread of the process in /proc/self/task.
bool singleThreaded()
{
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return true; // no way to tell
    int count = 0;
    while (const dirent* entry = ::readdir(tasks))
        count += entry->d_name[0] != '.';
    ::closedir(tasks);
    return count <= 1;
}

bool ignoredAlready(int signal)
{
    struct sigaction current {
    };
    return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void ignore(int signal)
{
    struct sigaction ignored {
    };
    ignored.sa_handler = SIG_IGN;
    sigemptyset(&ignored.sa_mask);
    ::sigaction(signal, &ignored, nullptr);
}

} // namespace

bool ProcessSignals::install(Role role)
{
    const bool alone = singleThreaded();
    if (role == Role::Watchdog) {
        for (const int signal : {SIGINT, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU, SIGHUP, SIGPIPE})
            ignore(signal);
        return alone;
    }
    ignore(SIGPIPE);
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_pipe[0] = g_pipe[1] = -1;
    g_handlerAction.sa_handler = onSignal;
    sigemptyset(&g_handlerAction.sa_mask);
    g_handlerAction.sa_flags = SA_RESTART;
    std::vector<int> signals = ending();
    signals.insert(signals.end(), suspending().begin(), suspending().end());
    for (const int signal : signals) {
        if (g_caught[signal] || ignoredAlready(signal))
            continue;
        g_caught[signal] = ::sigaction(signal, &g_handlerAction, nullptr) == 0;
    }
    return alone;
}

bool ProcessSignals::caught(int signal)
{
    return valid(signal) && g_caught[signal].load();
}

const std::vector<int>& ProcessSignals::ending()
{
    static const std::vector<int> signals = [] {
        std::vector<int> list = {SIGHUP,  SIGINT,  SIGQUIT,   SIGUSR1, SIGUSR2, SIGALRM, SIGTERM,
                                 SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSTKFLT};
        for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
            list.push_back(signal);
        return list;
    }();
    return signals;
}

const std::vector<int>& ProcessSignals::suspending()
{
    static const std::vector<int> signals = {SIGTSTP, SIGTTIN, SIGTTOU};
    return signals;
}

void ProcessSignals::route(const std::vector<int>& signalNumbers, std::function<void(int)> onSignal)
{
    for (const int signal : signalNumbers) {
        if (!caught(signal) || g_pipe[1] < 0)
            continue;
        g_receivers[signal] = onSignal; // before the flag: a signal then finds its receiver
        g_routed[signal] = true;
    }
}

void ProcessSignals::unroute(const std::vector<int>& signalNumbers)
{
    for (const int signal : signalNumbers)
        if (valid(signal))
            g_routed[signal] = false;
    // A signal that came while routed still reaches its receiver.
    dispatchPending();
    for (const int signal : signalNumbers)
        if (valid(signal))
            g_receivers[signal] = nullptr;
}

int ProcessSignals::descriptor()
{
    return g_pipe[0];
}

void ProcessSignals::dispatchPending()
{
    unsigned char byte = 0;
    while (g_pipe[0] >= 0 && ::read(g_pipe[0], &byte, 1) == 1) {
        const int signal = byte;
        if (valid(signal) && g_receivers[signal])
            g_receivers[signal](signal);
    }
}

void ProcessSignals::takeUsualCourse(int signal)
{
    if (!caught(signal))
        return;
    if (!suspends(signal) && g_hasPendingFile.load())
        ::unlink(g_pendingFile);
    usualCourse(signal);
}

void ProcessSignals::setPendingFile(const std::string& path)
{
    g_hasPendingFile = false;
    if (path.empty() || path.size() >= sizeof g_pendingFile)
        return;
    std::memcpy(g_pendingFile, path.c_str(), path.size() + 1);
    g_hasPendingFile = true;
}

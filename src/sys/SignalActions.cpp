#include "SignalActions.h"

SignalActions::SignalActions(const std::vector<int>& signalNumbers, void (*handler)(int))
{
    struct sigaction action {
    };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : signalNumbers) {
        if (signal <= 0 || signal >= NSIG || m_caught[signal])
            continue;
        struct sigaction& previous = m_previous[signal];
        m_caught[signal] = ::sigaction(signal, nullptr, &previous) == 0 &&
                           previous.sa_handler != SIG_IGN &&
                           ::sigaction(signal, &action, nullptr) == 0;
    }
}

SignalActions::~SignalActions()
{
    for (int signal = 1; signal < NSIG; ++signal)
        restore(signal);
}

bool SignalActions::caught(int signal) const
{
    return signal > 0 && signal < NSIG && m_caught[signal];
}

void SignalActions::restore(int signal) const noexcept
{
    if (caught(signal))
        ::sigaction(signal, &m_previous[signal], nullptr);
}

const std::vector<int>& SignalActions::ending()
{
    // The fault signals (SEGV, BUS, FPE, ILL, ABRT, TRAP, SYS) are left out: raised by the
    // program's own instruction, a handler that returns would run into it again. A crash is
    // what the push-to-talk watchdog is for.
    static const std::vector<int> signalNumbers = [] {
        std::vector<int> list = {SIGHUP,    SIGINT,  SIGQUIT, SIGUSR1, SIGUSR2,
                                 SIGPIPE,   SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ,
                                 SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSTKFLT};
        for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
            list.push_back(signal);
        return list;
    }();
    return signalNumbers;
}

const std::vector<int>& SignalActions::suspending()
{
    static const std::vector<int> signalNumbers = {SIGTSTP, SIGTTIN, SIGTTOU};
    return signalNumbers;
}

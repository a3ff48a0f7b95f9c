#pragma once

#include <array>
#include <csignal>
#include <vector>

// While it lives, the given signals run one handler instead of their action. A signal that
// the caller set to be ignored (nohup, a service manager) stays ignored, and the destructor
// puts back the action that was there before, which may be another handler. This is the one
// place that catches signals; besides it, only the mains set SIGPIPE to be ignored before any
// thread starts, and the watchdog process ignores a terminal's signals.
class SignalActions
{
public:
    SignalActions(const std::vector<int>& signalNumbers, void (*handler)(int));
    ~SignalActions();
    SignalActions(const SignalActions&) = delete;
    SignalActions& operator=(const SignalActions&) = delete;

    // Whether the handler was installed for the signal (false for an ignored one).
    bool caught(int signal) const;
    // Puts back the previous action of one signal. Async-signal-safe, for a handler that
    // then raises the signal again so that it takes its previous course.
    void restore(int signal) const noexcept;

    // The signals whose default action ends the process and that a program may catch.
    static const std::vector<int>& ending();
    // The ones that suspend it from a terminal (TSTP, TTIN, TTOU).
    static const std::vector<int>& suspending();

private:
    std::array<struct sigaction, NSIG> m_previous{};
    std::array<bool, NSIG> m_caught{};
};

#pragma once

#include <functional>
#include <string>
#include <vector>

// The process's signal handling, in one place. Each main installs it once, first thing, before
// any thread starts, and its handlers stay for the whole run: what a signal does is switched by
// a flag that the handler reads, never by changing actions while threads run.
// - A signal that would end or suspend the process takes its usual course, after the pending
//   temporary file (if any) has been removed.
// - A routed signal is written to a pipe instead, and handed to its receiver by
//   dispatchPending() on the thread that runs the event loop, where the receiver may touch
//   anything (stop a play, release a line, close the window).
// A signal that the caller set to be ignored (nohup, a service manager) stays ignored, and so
// does SIGPIPE: a closed pipe or socket is an error of the write, not the end of the process.
// Fault signals (SEGV, BUS, FPE, ILL, ABRT, TRAP, SYS) are left alone: raised by the program's
// own instruction, a handler that returned would run into it again. A crash is what the
// push-to-talk watchdog is for.
class ProcessSignals
{
public:
    enum class Role {
        Program,  // both programs: the handlers above
        Watchdog, // the push-to-talk watchdog: a terminal's signals are for the program, which
                  // the watchdog must outlive; everything else keeps its default action
    };

    // False when another thread already ran, whose signal mask and library state the
    // handlers cannot vouch for; the handlers are installed all the same.
    static bool install(Role role = Role::Program);
    // Whether the handler runs for the signal: false for one ignored at the start, or before
    // install().
    static bool caught(int signal);

    // The signals whose default action ends the process and that a program may catch, and
    // those that suspend it from a terminal (TSTP, TTIN, TTOU).
    static const std::vector<int>& ending();
    static const std::vector<int>& suspending();

    // From now on, each caught one of these signals goes to onSignal, on the event loop's
    // thread, until unroute().
    static void route(const std::vector<int>& signalNumbers, std::function<void(int)> onSignal);
    static void unroute(const std::vector<int>& signalNumbers);
    // Readable while a routed signal waits for dispatchPending(); the event loop watches it.
    static int descriptor();
    static void dispatchPending();

    // Lets a signal take the course it would have taken without a handler: the process ends
    // by it, as a shell expects to see (so a loop of calls stops on Ctrl-C), or it is
    // suspended and this returns once it is continued.
    static void takeUsualCourse(int signal);

    // The file that a signal ending the process removes first; one at a time. Empty: none.
    static void setPendingFile(const std::string& path);
};

#include "ProcessSignals.h"

#include <csignal>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

// The handlers are the process's for the whole run, so each case runs in a child of its own.
// Returns the child's wait status; a stop is answered with SIGCONT and noted in `stopped`.
int inChild(const std::function<int()>& body, int* stopped = nullptr)
{
    const pid_t child = ::fork();
    if (child == 0) {
        // A group of its own whose parent is outside it: the kernel drops a terminal's stop
        // signals for an orphaned group, which a test run by make or a service may be.
        ::setpgid(0, 0);
        ::_exit(body());
    }
    int status = 0;
    for (;;) {
        if (::waitpid(child, &status, WUNTRACED) != child)
            return -1;
        if (!WIFSTOPPED(status))
            return status;
        if (stopped)
            *stopped = WSTOPSIG(status);
        ::kill(child, SIGCONT);
    }
}

// The action's handler, whichever form it was installed in.
void* handlerOf(int signal)
{
    struct sigaction action {
    };
    ::sigaction(signal, nullptr, &action);
    return (action.sa_flags & SA_SIGINFO) != 0 ? reinterpret_cast<void*>(action.sa_sigaction)
                                               : reinterpret_cast<void*>(action.sa_handler);
}

bool handled(int signal)
{
    struct sigaction action {
    };
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN;
}

bool ignored(int signal)
{
    struct sigaction action {
    };
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler == SIG_IGN;
}

// Each check that fails ends the child with its own status.
#define CHECK(n, condition)                                                                        \
    if (!(condition))                                                                              \
    return n

} // namespace

TEST(ProcessSignals, InstallKeepsIgnoredSignalsIgnoredAndSaysWhetherAThreadRanFirst)
{
    // nohup's SIGHUP and a service manager's SIGINT stay ignored; SIGPIPE becomes ignored.
    EXPECT_EQ(inChild([] {
                  std::signal(SIGHUP, SIG_IGN);
                  std::signal(SIGUSR1, SIG_IGN);
                  // A fault's action is left as it was (a sanitizer's own, or the default).
                  const auto segv = handlerOf(SIGSEGV), abrt = handlerOf(SIGABRT);
                  CHECK(1, ProcessSignals::install());
                  CHECK(2, ignored(SIGHUP) && ignored(SIGUSR1) && ignored(SIGPIPE));
                  CHECK(3, !ProcessSignals::caught(SIGHUP) && !ProcessSignals::caught(SIGPIPE));
                  for (const int signal : {SIGINT, SIGTERM, SIGUSR2, SIGTSTP, SIGRTMIN})
                      CHECK(4, handled(signal) && ProcessSignals::caught(signal));
                  CHECK(5, handlerOf(SIGSEGV) == segv && handlerOf(SIGABRT) == abrt &&
                               !ProcessSignals::caught(SIGSEGV) &&
                               !ProcessSignals::caught(SIGABRT));
                  // A routed ignored signal is still ignored.
                  ProcessSignals::route({SIGHUP}, [](int) { std::_Exit(6); });
                  ::raise(SIGHUP);
                  ProcessSignals::dispatchPending();
                  return 0;
              }),
              0);
    // A thread that runs before the handlers may already have had a signal, or block some.
    EXPECT_EQ(inChild([] {
                  std::thread waiting([] { ::usleep(200000); });
                  const bool alone = ProcessSignals::install();
                  waiting.join();
                  CHECK(1, !alone);
                  CHECK(2, handled(SIGINT));
                  return 0;
              }),
              0);
    // The watchdog ignores a terminal's signals and keeps the default action of the rest.
    EXPECT_EQ(inChild([] {
                  CHECK(1, ProcessSignals::install(ProcessSignals::Role::Watchdog));
                  for (const int signal : {SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGPIPE})
                      CHECK(2, ignored(signal));
                  CHECK(3, !handled(SIGTERM) && !ignored(SIGTERM));
                  return 0;
              }),
              0);
}

TEST(ProcessSignals, ARoutedSignalReachesTheEventLoopAndAnUnroutedOneTakesItsUsualCourse)
{
    char pending[] = "/tmp/quorvel-signals-XXXXXX";
    const int fd = ::mkstemp(pending);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const std::string path = pending;

    // Routed: the handler only writes to the pipe; the receiver runs from the event loop.
    EXPECT_EQ(inChild([&] {
                  ProcessSignals::install();
                  int received = 0;
                  ProcessSignals::route({SIGINT, SIGTERM}, [&](int signal) { received = signal; });
                  ProcessSignals::setPendingFile(path);
                  ::raise(SIGTERM);
                  CHECK(1, received == 0);
                  pollfd ready{ProcessSignals::descriptor(), POLLIN, 0};
                  CHECK(2, ::poll(&ready, 1, 1000) == 1);
                  ProcessSignals::dispatchPending();
                  CHECK(3, received == SIGTERM);
                  // One that came while routed is handed over by the unroute.
                  ::raise(SIGINT);
                  ProcessSignals::unroute({SIGINT, SIGTERM});
                  CHECK(4, received == SIGINT);
                  CHECK(5, ::access(path.c_str(), F_OK) == 0);
                  return 0;
              }),
              0);
    // Not routed: the pending file is removed and the process ends by the signal, as a shell
    // expects to see it.
    const int status = inChild([&] {
        ProcessSignals::install();
        ProcessSignals::setPendingFile(path);
        ::raise(SIGTERM);
        return 1;
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_NE(::access(path.c_str(), F_OK), 0);

    // After a play's release: the end by Ctrl-C, or Ctrl-Z's suspension and the handler back
    // when continued.
    const int ended = inChild([] {
        ProcessSignals::install();
        ProcessSignals::takeUsualCourse(SIGINT);
        return 1;
    });
    EXPECT_TRUE(WIFSIGNALED(ended) && WTERMSIG(ended) == SIGINT) << ended;
    int stopped = 0;
    EXPECT_EQ(inChild(
                  [] {
                      ProcessSignals::install();
                      ProcessSignals::takeUsualCourse(SIGTSTP);
                      CHECK(1, handled(SIGTSTP));
                      ::raise(SIGTSTP); // an unrouted one suspends as well
                      CHECK(2, handled(SIGTSTP));
                      return 0;
                  },
                  &stopped),
              0);
    EXPECT_EQ(stopped, SIGTSTP);
}

#include "ProcessWatchdog.h"

#include "BlockingLineWait.h"
#include "HamlibPtt.h"
#include "ProcessLimits.h"
#include "PttAddress.h"
#include "WatchdogProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string_view>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr const char* kFlag = "--ptt-watchdog";
constexpr int kSocketFd = WatchdogProcess::kSocketFd;
constexpr int kLockFd = WatchdogProcess::kLockFd;
constexpr std::chrono::milliseconds kStartLimit{5000}; // a hamlib line may take a while
constexpr std::chrono::milliseconds kEndLimit{3000};   // to release a device line and end
// Watchdogs that were still releasing when their sender stopped waiting: never killed, they
// end on their own and are reaped at the next start.
std::vector<pid_t> leftReleasing;

// The longest the watchdog of the line may need to release it and end: a hamlib line may
// lose its connection, close it and release through a new one, each step under its limit.
std::chrono::milliseconds releaseLimit(const std::string& address)
{
    const auto parsed = parsePttAddress(address);
    const auto* line = std::get_if<PttAddress>(&parsed);
    const bool hamlib =
        line && (line->kind == PttAddress::Kind::Rigctld || line->kind == PttAddress::Kind::Rig);
    return kEndLimit + (hamlib ? HamlibPtt::kWorstRelease : std::chrono::milliseconds(0));
}

// Reads the byte that says how the start went, once it is there.
std::string startAnswer(int socket)
{
    char answer[512];
    const ssize_t n = ::recv(socket, answer, sizeof answer, MSG_DONTWAIT);
    if (n > 0 && answer[0] == '+')
        return {};
    if (n > 1 && answer[0] == '-')
        return std::string(answer + 1, static_cast<std::size_t>(n - 1));
    return "the PTT watchdog ended before it held the line";
}

bool readable(int fd)
{
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, 0) > 0 && ready.revents != 0;
}

} // namespace

ProcessWatchdog::ProcessWatchdog(std::string program)
    : m_program(std::move(program)), m_ownWait(std::make_unique<BlockingLineWait>()),
      m_wait(m_ownWait.get())
{
}

ProcessWatchdog::~ProcessWatchdog()
{
    // Without the word: the watchdog releases the line, and ends by itself.
    closeSocket();
    leave();
}

void ProcessWatchdog::waitThrough(LineWait* wait)
{
    m_wait = wait ? wait : m_ownWait.get();
}

std::optional<int> ProcessWatchdog::runIfAsked(int argc, char* argv[])
{
    if (argc != 3 || std::string_view(argv[1]) != kFlag)
        return std::nullopt;
    return WatchdogProcess::run(argv[2]);
}

std::string ProcessWatchdog::start(const std::string& address, int lockFd)
{
    std::erase_if(leftReleasing, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
    m_address = address;
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return "cannot start the PTT watchdog: " + ProcessLimits::words(errno);
    m_socket = pair[0];
    // Above the watchdog's numbers first, so that neither dup2 overwrites the other's source.
    const int socketEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
    const int lockEnd = lockFd >= 0 ? ::fcntl(lockFd, F_DUPFD_CLOEXEC, 10) : -1;
    ::close(pair[1]);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, socketEnd, kSocketFd);
    if (lockEnd >= 0)
        posix_spawn_file_actions_adddup2(&files, lockEnd, kLockFd);
    // Not the program's standard output: a caller that reads it to its end (a shell's $(…))
    // must not wait for the watchdog. Its standard error stays, for what goes wrong there.
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own session: no terminal's signals; every signal's default action and none blocked,
    // whatever the program had set.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::string flag = kFlag, text = address;
    char* const arguments[] = {m_program.data(), flag.data(), text.data(), nullptr};
    const int spawned =
        ::posix_spawn(&m_pid, m_program.c_str(), &files, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    ::close(socketEnd);
    if (lockEnd >= 0)
        ::close(lockEnd);
    if (spawned != 0) {
        m_pid = -1;
        return "cannot start the PTT watchdog: " + ProcessLimits::words(spawned);
    }
    const bool answered =
        m_wait->waitFor(kStartLimit, m_socket, [this] { return readable(m_socket); });
    std::string why;
    if (answered)
        why = startAnswer(m_socket);
    else if (m_wait->stopped())
        why = "the start of the PTT watchdog was stopped";
    else
        why = "the PTT watchdog did not start within " +
              std::to_string(kStartLimit.count() / 1000) + " s";
    if (!why.empty()) {
        closeSocket();
        // Nothing is keyed yet: a watchdog that did not start in time is ended.
        end();
    }
    return why;
}

void ProcessWatchdog::releaseWithin(std::chrono::milliseconds limit)
{
    say(std::string(WatchdogProcess::kUntil) +
        std::to_string(WatchdogProcess::monotonicMs() + limit.count()) + "\n");
}

int ProcessWatchdog::descriptor() const
{
    return m_socket;
}

bool ProcessWatchdog::ended()
{
    return m_socket < 0 || readable(m_socket);
}

void ProcessWatchdog::released()
{
    if (m_socket < 0)
        return;
    say(std::string(WatchdogProcess::kReleased) + "\n");
    closeSocket();
    // It has nothing left to do and would only end: a watchdog that is stopped or hung must
    // neither hold the line's lock nor keep the program from ending.
    end();
}

void ProcessWatchdog::takeOver()
{
    if (m_socket < 0 || m_pid <= 0)
        return leave();
    // The end of the stream without the word: the watchdog releases. Our end stays open for
    // reading, and turns readable when the watchdog has ended.
    ::shutdown(m_socket, SHUT_WR);
    const pid_t pid = m_pid;
    if (m_wait->waitFor(releaseLimit(m_address), m_socket,
                        [pid] { return ::waitpid(pid, nullptr, WNOHANG) != 0; }))
        m_pid = -1;
    closeSocket();
    leave(); // however long its release still takes, a watchdog that releases is never killed
}

void ProcessWatchdog::say(const std::string& word)
{
    if (m_socket < 0)
        return;
    // A few bytes into an empty socket: never blocks, and a watchdog gone is seen elsewhere.
    [[maybe_unused]] const ssize_t sent =
        ::send(m_socket, word.data(), word.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void ProcessWatchdog::closeSocket()
{
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
}

void ProcessWatchdog::end()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGKILL);
    leave();
}

void ProcessWatchdog::leave()
{
    if (m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0)
        leftReleasing.push_back(m_pid);
    m_pid = -1;
}

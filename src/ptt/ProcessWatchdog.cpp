#include "ProcessWatchdog.h"

#include "HamlibPtt.h"
#include "ProcessLimits.h"
#include "ProcessSignals.h"
#include "PttAddress.h"
#include "PttLine.h"

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
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

constexpr const char* kFlag = "--ptt-watchdog";
constexpr std::string_view kReleased = "released";
constexpr int kSocketFd = 3; // in the watchdog
constexpr int kLockFd = 4;
constexpr int kStartMs = 5000; // a hamlib line may take a while to connect
constexpr int kEndMs = 3000;   // to end after the word, or to release a device line

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
    return std::chrono::milliseconds(kEndMs) +
           (hamlib ? HamlibPtt::kWorstRelease : std::chrono::milliseconds(0));
}

// Only the standard streams, the socket and the lock cross into the watchdog: whatever else
// the program had open without close-on-exec (hamlib's connection to rigctld or its CAT port)
// would stay open in it after the program died.
void closeInherited()
{
    if (::close_range(kLockFd + 1, ~0U, 0) == 0)
        return;
    const long highest = std::min(::sysconf(_SC_OPEN_MAX), 65536L);
    for (int fd = kLockFd + 1; fd < highest; ++fd)
        ::close(fd);
}

// Reads until the byte that says how the start went, within the deadline.
std::string awaitStart(int socket)
{
    pollfd wait{socket, POLLIN, 0};
    const int ready = ::poll(&wait, 1, kStartMs);
    if (ready <= 0)
        return "the PTT watchdog did not start within " + std::to_string(kStartMs / 1000) + " s";
    char answer[512];
    const ssize_t n = ::recv(socket, answer, sizeof answer, 0);
    if (n > 0 && answer[0] == '+')
        return {};
    if (n > 1 && answer[0] == '-')
        return std::string(answer + 1, static_cast<std::size_t>(n - 1));
    return "the PTT watchdog ended before it held the line";
}

// The watchdog itself: holds the line and waits for the program's word or its end.
int watch(const std::string& text)
{
    closeInherited();
    // A terminal's Ctrl-C, Ctrl-\ or Ctrl-Z for the program, or its hang-up, is not for the
    // watchdog, which must outlive the program's release.
    ProcessSignals::install(ProcessSignals::Role::Watchdog);
    const auto say = [](const std::string& word) {
        [[maybe_unused]] const ssize_t sent = ::send(kSocketFd, word.data(), word.size(), 0);
    };
    const auto address = parsePttAddress(text);
    if (const auto* why = std::get_if<std::string>(&address)) {
        say("-" + *why);
        return 1;
    }
    const auto line = makePttLine(std::get<PttAddress>(address));
    // A line locked on its own device drives the inherited descriptor: no second open.
    if (::fcntl(kLockFd, F_GETFD) >= 0)
        line->adoptLockDescriptor(kLockFd);
    if (const std::string why = line->attach(); !why.empty()) {
        say("-" + why);
        return 1;
    }
    say("+");
    std::string heard;
    char buffer[64];
    for (;;) {
        const ssize_t n = ::recv(kSocketFd, buffer, sizeof buffer, 0);
        if (n > 0) {
            heard.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // the end of the stream, or the program's socket gone
    }
    if (heard.find(kReleased) != std::string::npos)
        return 0;
    return line->unkey().empty() ? 0 : 1;
}

} // namespace

ProcessWatchdog::ProcessWatchdog(std::string program) : m_program(std::move(program))
{
}

ProcessWatchdog::~ProcessWatchdog()
{
    if (m_socket >= 0)
        ::close(m_socket); // without the word: the watchdog releases the line
    // However long that takes within its limits; a watchdog that is releasing is never killed.
    reap(releaseLimit(m_address), false);
}

std::optional<int> ProcessWatchdog::runIfAsked(int argc, char* argv[])
{
    if (argc != 3 || std::string_view(argv[1]) != kFlag)
        return std::nullopt;
    return watch(argv[2]);
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
    const std::string why = awaitStart(m_socket);
    if (!why.empty()) {
        ::close(m_socket);
        m_socket = -1;
        // Nothing is keyed yet: a watchdog that did not start in time is ended.
        reap(std::chrono::milliseconds(kEndMs), true);
    }
    return why;
}

void ProcessWatchdog::released()
{
    if (m_socket < 0)
        return;
    [[maybe_unused]] const ssize_t sent =
        ::send(m_socket, kReleased.data(), kReleased.size(), MSG_NOSIGNAL);
    ::close(m_socket);
    m_socket = -1;
    // It only has to end; one that does not within the limit is stuck, not releasing.
    reap(std::chrono::milliseconds(kEndMs), true);
}

void ProcessWatchdog::reap(std::chrono::milliseconds limit, bool mayKill)
{
    if (m_pid <= 0)
        return;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    while (::waitpid(m_pid, nullptr, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            if (!mayKill) {
                leftReleasing.push_back(m_pid);
                break;
            }
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_pid = -1;
}

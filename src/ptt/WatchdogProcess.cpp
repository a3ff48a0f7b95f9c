#include "WatchdogProcess.h"

#include "ProcessSignals.h"
#include "PttAddress.h"
#include "PttLine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

constexpr int kSocketFd = WatchdogProcess::kSocketFd;
constexpr int kLockFd = WatchdogProcess::kLockFd;
// It acts on the time-out this much after the moment itself, so that a program that runs
// releases first, at the moment, and the line sees one release.
constexpr std::int64_t kTimeoutGraceMs = 40;

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

// What the watchdog has heard from the program so far.
struct Heard {
    std::string pending; // the start of a line still to come
    std::optional<std::int64_t> until;
    bool released = false;

    void take(const char* bytes, std::size_t n)
    {
        pending.append(bytes, n);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;
             pending.erase(0, end + 1)) {
            const std::string_view line(pending.data(), end);
            if (line == WatchdogProcess::kReleased)
                released = true;
            else if (line.starts_with(WatchdogProcess::kUntil))
                until = std::strtoll(pending.c_str() + WatchdogProcess::kUntil.size(), nullptr, 10);
        }
    }
};

} // namespace

std::int64_t WatchdogProcess::monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int WatchdogProcess::run(const std::string& text)
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
    Heard heard;
    bool timedOut = false, releasedAtTimeout = false;
    char buffer[64];
    for (;;) {
        int timeoutMs = -1;
        if (heard.until && !timedOut)
            timeoutMs = static_cast<int>(std::clamp<std::int64_t>(
                *heard.until + kTimeoutGraceMs - monotonicMs(), 0, 24 * 3600 * 1000));
        pollfd wait{kSocketFd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, timeoutMs);
        if (ready == 0) {
            // The time-out, whatever the program is doing: stopped, hung or far behind.
            timedOut = true;
            releasedAtTimeout = line->unkey().empty();
            continue;
        }
        if (ready < 0 && errno != EINTR)
            break;
        if (ready < 0)
            continue;
        const ssize_t n = ::recv(kSocketFd, buffer, sizeof buffer, 0);
        if (n > 0) {
            heard.take(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // the end of the stream, or the program's socket gone
    }
    if (heard.released || releasedAtTimeout)
        return 0;
    return line->unkey().empty() ? 0 : 1;
}

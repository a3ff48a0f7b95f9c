#include "SoundServerProbe.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace
{

// The local sockets that libpulse tries, as far as the environment names them: PULSE_SERVER's
// unix entries, else the per-user runtime folder's socket; the system-wide one last.
std::vector<std::string> serverSockets()
{
    std::vector<std::string> paths;
    if (const char* servers = std::getenv("PULSE_SERVER")) {
        std::istringstream words(servers);
        for (std::string word; words >> word;) {
            if (word.front() == '{') // "{machine-id}unix:/path"
                word.erase(0, word.find('}') + 1);
            if (word.rfind("unix:", 0) == 0)
                word.erase(0, 5);
            if (!word.empty() && word.front() == '/')
                paths.push_back(word);
        }
        return paths;
    }
    if (const char* runtime = std::getenv("PULSE_RUNTIME_PATH"))
        paths.push_back(std::string(runtime) + "/native");
    else if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"))
        paths.push_back(std::string(xdg) + "/pulse/native");
    paths.push_back("/run/pulse/native");
    return paths;
}

bool queueFull(const std::string& path)
{
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool full =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0 &&
        errno == EAGAIN;
    ::close(fd);
    return full;
}

} // namespace

bool soundServerQueueFull()
{
    for (const std::string& path : serverSockets()) {
        if (queueFull(path))
            return true;
    }
    return false;
}

// A plain (not threaded) mainloop run on the caller's thread, with no callbacks: nothing can
// run after the probe returns, and every poll is bounded by what is left of the deadline.
SoundServer probeSoundServer(std::chrono::milliseconds deadline)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + deadline;
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop)
        return SoundServer::Absent;
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Quorvel");
    pa_context_state_t state = PA_CONTEXT_FAILED;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        for (;;) {
            state = pa_context_get_state(context);
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(end - Clock::now());
            // Past CONNECTING the socket has taken the connection: a server is there, and
            // whether it answers is for the backend's own deadline to find out, once.
            if (state == PA_CONTEXT_READY || state == PA_CONTEXT_AUTHORIZING ||
                state == PA_CONTEXT_SETTING_NAME || !PA_CONTEXT_IS_GOOD(state) || left.count() <= 0)
                break;
            if (pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 ||
                pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
                break;
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    if (state == PA_CONTEXT_READY)
        return SoundServer::Answers;
    if (state == PA_CONTEXT_AUTHORIZING || state == PA_CONTEXT_SETTING_NAME)
        return SoundServer::Silent;
    return soundServerQueueFull() ? SoundServer::Silent : SoundServer::Absent;
}

#include "SoundServerProbe.h"

#include <pulse/context.h>
#include <pulse/mainloop.h>

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
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state) || left.count() <= 0)
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
    // The socket took the connection (authorizing or naming): a server is there.
    return state == PA_CONTEXT_AUTHORIZING || state == PA_CONTEXT_SETTING_NAME
               ? SoundServer::Silent
               : SoundServer::Absent;
}

#include "PulseConnection.h"

#include "ProcessLimits.h"
#include "SoundServerProbe.h"
#include "WaveOut.h"

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

namespace
{

constexpr const char* kApplicationName = "Quorvel";
// As the desktop entry (data/quorvel.desktop.in) is named, and its icon: a mixer shows the
// program's name and icon, and the server remembers the output chosen for it.
constexpr const char* kDesktopId = "quorvel";
constexpr const char* kIconName = "quorvel";

// Rings on the loop's thread when a wait's limit has passed. It lives on the waiter's stack
// and is freed, under the lock, before the waiter returns.
struct Alarm {
    pa_threaded_mainloop* loop;
    bool rang = false;
};

void onAlarm(pa_mainloop_api*, pa_time_event*, const timeval*, void* alarm)
{
    static_cast<Alarm*>(alarm)->rang = true;
    pa_threaded_mainloop_signal(static_cast<Alarm*>(alarm)->loop, 0);
}

void onContextState(pa_context*, void* loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

} // namespace

PulseConnection::Lock::Lock(pa_threaded_mainloop* loop) : m_loop(loop)
{
    pa_threaded_mainloop_lock(m_loop);
}

PulseConnection::Lock::~Lock()
{
    pa_threaded_mainloop_unlock(m_loop);
}

PulseConnection::~PulseConnection()
{
    if (!m_loop)
        return;
    {
        Lock lock(m_loop);
        dropContextLocked();
    }
    // After the thread has stopped, nothing calls back at all.
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

bool PulseConnection::startLoop()
{
    if (m_loop)
        return true;
    // libpulse takes pthread_create's error for a success (it tests for a negative result):
    // a loop whose thread never started would leave every later wait waiting for good. So a
    // thread is tried first, and the loop's own is seen to run before anything waits on it.
    if (!ProcessLimits::threadShortage().empty())
        return false;
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        return false;
    // The loop's thread takes no signals: they belong to the program's own handlers.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    const int started = pa_threaded_mainloop_start(m_loop);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (started < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    } else if (!loopRuns()) {
        // Freeing it would join a thread that does not exist: it is left, as it is, to the
        // process's end, and a later play tries a new one.
        m_loop = nullptr;
    }
    return m_loop != nullptr;
}

// Whether the loop's thread answers within kServerAnswer. The answer comes through a shared
// box, so that a thread that answers after the wait has given up finds it still there.
bool PulseConnection::loopRuns()
{
    struct Answer {
        std::mutex mutex;
        std::condition_variable given;
        bool ran = false;
    };
    auto answer = std::make_shared<Answer>();
    {
        Lock lock(m_loop);
        pa_mainloop_api_once(
            pa_threaded_mainloop_get_api(m_loop),
            [](pa_mainloop_api*, void* box) {
                const std::unique_ptr<std::shared_ptr<Answer>> kept(
                    static_cast<std::shared_ptr<Answer>*>(box));
                const std::lock_guard held((*kept)->mutex);
                (*kept)->ran = true;
                (*kept)->given.notify_all();
            },
            new std::shared_ptr<Answer>(answer));
    }
    std::unique_lock lock(answer->mutex);
    return answer->given.wait_for(lock, kServerAnswer, [&] { return answer->ran; });
}

bool PulseConnection::waitLocked(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    if (done())
        return true;
    Alarm alarm{m_loop};
    // On the monotonic clock: a wall clock set back while waiting must not lengthen the wait.
    pa_time_event* event = pa_context_rttime_new(
        m_context, pa_rtclock_now() + static_cast<pa_usec_t>(limit.count()) * PA_USEC_PER_MSEC,
        onAlarm, &alarm);
    if (!event)
        return done();
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    while (!done() && !alarm.rang)
        pa_threaded_mainloop_wait(m_loop);
    api->time_free(event);
    return done();
}

std::int32_t PulseConnection::connectLocked()
{
    if (m_context) {
        const pa_context_state_t state = pa_context_get_state(m_context);
        if (state == PA_CONTEXT_READY)
            return WaveResult::NoError;
        if (PA_CONTEXT_IS_GOOD(state)) // waited for once already: the server is stuck
            return WaveResult::TimedOut;
        dropContextLocked();
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, kApplicationName);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, kDesktopId);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kIconName);
    m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), kApplicationName,
                                             properties);
    pa_proplist_free(properties);
    if (!m_context)
        return WaveResult::NoMemory;
    pa_context_set_state_callback(m_context, onContextState, m_loop);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        dropContextLocked();
        return soundServerQueueFull() ? WaveResult::TimedOut : WaveResult::NoDriver;
    }
    const bool settled = waitLocked(
        [this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        },
        kServerAnswer);
    if (pa_context_get_state(m_context) == PA_CONTEXT_READY) {
        askServerNameLocked();
        return WaveResult::NoError;
    }
    if (!settled)
        return WaveResult::TimedOut; // kept: see the class comment
    dropContextLocked();
    // A frozen server whose queue of connections is full refuses with EAGAIN.
    return soundServerQueueFull() ? WaveResult::TimedOut : WaveResult::NoDriver;
}

// A server that does not answer this within the deadline is taken for PulseAudio.
void PulseConnection::askServerNameLocked()
{
    struct Answer {
        pa_threaded_mainloop* loop;
        bool given = false;
        bool pipeWire = false;
    } answer{m_loop};
    pa_operation* asked = pa_context_get_server_info(
        m_context,
        [](pa_context*, const pa_server_info* info, void* data) {
            auto& a = *static_cast<Answer*>(data);
            a.pipeWire = info && info->server_name && std::strstr(info->server_name, "PipeWire");
            a.given = true;
            pa_threaded_mainloop_signal(a.loop, 0);
        },
        &answer);
    if (!asked)
        return;
    waitLocked([&answer] { return answer.given; }, kServerAnswer);
    // A cancelled request never calls back, so the answer may go.
    pa_operation_cancel(asked);
    pa_operation_unref(asked);
    m_onPipeWire = answer.pipeWire;
}

void PulseConnection::adoptUnansweredLocked(pa_stream* stream)
{
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_state_callback(stream, onUnansweredState, this);
    m_unanswered.push_back(stream);
}

// On the loop's thread. libpulse holds a reference of its own around a state callback, so
// the stream may be let go of here.
void PulseConnection::onUnansweredState(pa_stream* stream, void* self)
{
    auto& connection = *static_cast<PulseConnection*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        pa_stream_disconnect(stream); // comes back here as terminated
        return;
    }
    if (PA_STREAM_IS_GOOD(state))
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    std::erase(connection.m_unanswered, stream);
    pa_stream_unref(stream);
}

void PulseConnection::dropContextLocked()
{
    for (pa_stream* stream : m_unanswered) {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_unref(stream);
    }
    m_unanswered.clear();
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

// What a listing request's callbacks are given: they fill the listing and wake the waiter.
struct ListingRequest {
    PulseConnection::Listing& listing;
    pa_threaded_mainloop* loop;

    void answered()
    {
        --listing.pending;
        pa_threaded_mainloop_signal(loop, 0);
    }
};

bool PulseConnection::listLocked(Listing& listing)
{
    ListingRequest request{listing, m_loop};
    pa_operation* operations[] = {
        pa_context_get_server_info(
            m_context,
            [](pa_context*, const pa_server_info* info, void* data) {
                auto& r = *static_cast<ListingRequest*>(data);
                if (info && info->default_sink_name)
                    r.listing.defaultSink = info->default_sink_name;
                r.answered();
            },
            &request),
        pa_context_get_sink_info_list(
            m_context,
            [](pa_context*, const pa_sink_info* info, int eol, void* data) {
                auto& r = *static_cast<ListingRequest*>(data);
                if (eol != 0)
                    r.answered();
                else
                    r.listing.sinks.push_back(
                        {info->name, info->description ? info->description : "", false});
            },
            &request),
        pa_context_get_source_info_list(
            m_context,
            [](pa_context*, const pa_source_info* info, int eol, void* data) {
                auto& r = *static_cast<ListingRequest*>(data);
                if (eol != 0)
                    r.answered();
                else if (info->monitor_of_sink == PA_INVALID_INDEX)
                    ++r.listing.inputs;
            },
            &request),
    };
    for (pa_operation* operation : operations)
        listing.pending += operation ? 1 : 0;
    const bool complete = waitLocked([&listing] { return listing.pending == 0; }, kServerAnswer);
    // A cancelled request never calls back, so the request may go.
    for (pa_operation* operation : operations) {
        if (operation) {
            pa_operation_cancel(operation);
            pa_operation_unref(operation);
        }
    }
    for (OutputDevice& sink : listing.sinks)
        sink.isDefault = sink.name == listing.defaultSink;
    return complete;
}

PulseConnection::Listing PulseConnection::list()
{
    Listing listing;
    if (!startLoop()) {
        listing.result = WaveResult::NoMemory;
        return listing;
    }
    Lock lock(m_loop);
    Listing none;
    none.result = connectLocked();
    if (none.result == WaveResult::NoError && !listLocked(listing))
        none.result = WaveResult::TimedOut;
    return none.result == WaveResult::NoError ? listing : none;
}

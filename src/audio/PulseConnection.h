#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct OutputDevice;
struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

// The process's one connection to the sound server: libpulse's threaded main loop and one
// context on it, both made on first use. A context that failed (the server went away) is
// replaced by the next connect, so a server that comes back is used without a restart. A
// context that did not get ready within the deadline is kept and not waited for again: a
// frozen server costs one deadline, not one per question, and is used when it wakes up.
// Never starts a server of its own. Every wait on the server has a deadline of kServerAnswer.
//
// libpulse runs every callback on the loop's thread with the loop's lock held; the members
// that end in Locked must be called with that lock (a Lock) held, on any other thread.
class PulseConnection
{
public:
    // How long the server may take to answer one request. A local server answers in
    // milliseconds; one that takes the connection and stays silent, or is stopped, costs
    // this much.
    static constexpr std::chrono::milliseconds kServerAnswer{3000};

    // The loop's lock, held for a scope.
    class Lock
    {
    public:
        explicit Lock(pa_threaded_mainloop* loop);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* m_loop;
    };

    // What the server has now.
    struct Listing {
        std::vector<OutputDevice> sinks;
        std::uint32_t inputs = 0; // sources that are not the monitor of a sink
        std::string defaultSink;
        int pending = 0;         // listing requests not yet answered in full
        std::int32_t result = 0; // 0, or why there is nothing: a WaveResult code
    };

    PulseConnection() = default;
    // Whoever made streams on the context has released them by now.
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Starts the loop's thread if it does not run yet; false when libpulse cannot.
    bool startLoop();
    pa_threaded_mainloop* loop() const { return m_loop; }
    pa_context* context() const { return m_context; }

    // Returns 0 with a ready context, otherwise a WaveResult code (see PulseWaveOut.h).
    std::int32_t connectLocked();
    // The ready context's server is PipeWire's PulseAudio service, which names itself
    // "PulseAudio (on PipeWire 1.2.7)"; asked once a connection.
    bool onPipeWire() const { return m_onPipeWire; }
    // Waits until done() holds or the limit has passed; returns done().
    bool waitLocked(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Takes over a stream whose creation the server has not answered: it is disconnected
    // when the answer comes, so that no idle stream stays on a server that wakes up.
    void adoptUnansweredLocked(pa_stream* stream);
    // Lists sinks and sources; empty, with the reason in result, when no server answers in
    // time.
    Listing list();

private:
    bool loopRuns();
    void dropContextLocked();
    void askServerNameLocked();
    bool listLocked(Listing& listing);
    static void onUnansweredState(pa_stream* stream, void* self);

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    std::vector<pa_stream*> m_unanswered; // see adoptUnansweredLocked
    bool m_onPipeWire = false;
};

#include "AlsaStream.h"

#include "AlsaResult.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

// Half a second of buffer rides out a loaded machine; a stop drops it, so it costs no delay.
constexpr unsigned kLatencyUs = 500000;
// The blocking drain is left only this much sound: the rest of the tail is waited for in
// steps that a stop can interrupt.
constexpr long kDrainTailMs = 40;
// The writer's longest sleep while nothing wakes it: idle, yet a stalled device is noticed.
constexpr int kLongestSleepMs = 200;
// Samples copied out of the caller's buffer per step: more than the PCM's buffer holds at
// 48 kHz, so that the first write fills the buffer and starts the sound, as one write would.
constexpr snd_pcm_uframes_t kChunkFrames = 32768;
// How long the closing side waits for a healthy PCM to close. A writer stuck in a plugin
// is not waited for longer: a stop must end a run within a second.
constexpr std::chrono::milliseconds kCloseWait{400};

enum class PlayEnd { Played, Stopped };

} // namespace

struct AlsaStream::Shared {
    // Opening -> Idle | Closed; Idle -> Requested (play) -> Playing -> Idle; Requested or
    // Playing -> Stopping (stop) -> Idle; any -> Closing (destructor) -> Closed.
    enum class State { Opening, Idle, Requested, Playing, Stopping, Closing, Closed };

    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Opening;
    std::int32_t openResult = WaveResult::NoError; // once the state has left Opening
    std::int32_t error = WaveResult::NoError;
    // The play: valid from play() until stop() or the destructor clears them.
    WaveHeader* header = nullptr;
    const std::int16_t* data = nullptr;
    snd_pcm_uframes_t frames = 0;
    std::function<void()> wakeUp;
    int wakeFd = -1; // an eventfd that ends the writer's sleeps

    Shared() : wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Shared()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
    void signal() const
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
    }
    // Under the mutex: the play was stopped, or the stream is closing.
    bool playDropped() const { return state != State::Playing || !data; }
    void setState(State next)
    {
        state = next;
        changed.notify_all();
    }
};

namespace
{

using Shared = AlsaStream::Shared;
using State = Shared::State;

// Sleeps until the device can take samples, a stop or close arrives, or the time is up.
void sleepOnDevice(const Shared& s, snd_pcm_t* pcm, int timeoutMs)
{
    const int count = pcm ? std::max(snd_pcm_poll_descriptors_count(pcm), 0) : 0;
    std::vector<pollfd> fds(static_cast<std::size_t>(count) + 1);
    if (count > 0)
        snd_pcm_poll_descriptors(pcm, fds.data(), static_cast<unsigned>(count));
    fds[count] = {s.wakeFd, POLLIN, 0};
    if (poll(fds.data(), fds.size(), timeoutMs) > 0) {
        if (count > 0) {
            unsigned short revents = 0;
            snd_pcm_poll_descriptors_revents(pcm, fds.data(), static_cast<unsigned>(count),
                                             &revents);
        }
        std::uint64_t value = 0;
        [[maybe_unused]] const ssize_t n = ::read(s.wakeFd, &value, sizeof value);
    }
}

// Drops the queued sound when a stop or close was asked.
bool stopAsked(Shared& s, snd_pcm_t* pcm)
{
    {
        const std::lock_guard lock(s.mutex);
        if (!s.playDropped())
            return false;
    }
    snd_pcm_drop(pcm);
    return true;
}

// Feeds every frame of the caller's buffer; returns when all are in the PCM. Each chunk is
// copied out under the mutex, where a stop clears the buffer, and written without it.
long feed(Shared& s, snd_pcm_t* pcm, PlayEnd& end)
{
    std::vector<std::int16_t> chunk;
    chunk.reserve(kChunkFrames);
    std::size_t sent = 0;         // frames of the chunk in the PCM
    snd_pcm_uframes_t copied = 0; // frames of the caller's buffer copied so far
    for (;;) {
        if (stopAsked(s, pcm)) {
            end = PlayEnd::Stopped;
            return 0;
        }
        if (sent == chunk.size()) {
            const std::lock_guard lock(s.mutex);
            if (s.playDropped())
                continue; // stopped since the check: the next pass drops
            if (copied >= s.frames)
                return 0;
            const snd_pcm_uframes_t n = std::min(kChunkFrames, s.frames - copied);
            chunk.assign(s.data + copied, s.data + copied + n);
            copied += n;
            sent = 0;
        }
        const snd_pcm_sframes_t n = snd_pcm_writei(pcm, chunk.data() + sent, chunk.size() - sent);
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        else if (n == 0 || n == -EAGAIN)
            sleepOnDevice(s, pcm, kLongestSleepMs);
        else if (n == -EPIPE || n == -ESTRPIPE) {
            // An underrun on a busy machine is a gap, not a failure; a device that cannot
            // be prepared again says why.
            const int recovered = snd_pcm_recover(pcm, int(n), 1);
            if (recovered < 0)
                return recovered;
        } else
            return long(n);
    }
}

// Waits, interruptibly, until little is left to play, then lets snd_pcm_drain report the end.
long drainToEnd(Shared& s, snd_pcm_t* pcm, std::uint32_t rate, PlayEnd& end)
{
    // A sound shorter than the buffer has not started yet: the start threshold is the buffer.
    if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED)
        snd_pcm_start(pcm);
    const long tailFrames = long(rate) * kDrainTailMs / 1000;
    for (;;) {
        if (stopAsked(s, pcm)) {
            end = PlayEnd::Stopped;
            return 0;
        }
        // Any state but running (an underrun that the pulse plugin reports once the server has
        // played everything, say) leaves the rest to the drain: the delay no longer moves.
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_state(pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(pcm, &delay) < 0 ||
            delay <= tailFrames)
            break;
        const long sleepMs = (delay - tailFrames) * 1000 / long(rate);
        sleepOnDevice(s, nullptr, int(std::clamp(sleepMs, 1L, long(kLongestSleepMs))));
    }
    snd_pcm_nonblock(pcm, 0);
    int err = snd_pcm_drain(pcm);
    snd_pcm_nonblock(pcm, 1);
    if (err == -EPIPE)
        err = 0; // the buffer ran dry after the last frame: everything was played
    if (stopAsked(s, pcm))
        end = PlayEnd::Stopped;
    return err;
}

void playOnce(Shared& s, snd_pcm_t* pcm, std::uint32_t rate)
{
    PlayEnd end = PlayEnd::Played;
    long err = 0;
    if (snd_pcm_state(pcm) != SND_PCM_STATE_PREPARED)
        err = snd_pcm_prepare(pcm);
    if (err >= 0)
        err = feed(s, pcm, end);
    if (err >= 0 && end == PlayEnd::Played)
        err = drainToEnd(s, pcm, rate, end);

    const std::lock_guard lock(s.mutex);
    s.data = nullptr;
    if (err < 0)
        s.error = playResultOf(int(err));
    else if (end == PlayEnd::Played && s.header)
        s.header->dwFlags.fetch_or(WHDR_DONE);
    // Under the mutex: stop() and the destructor clear wakeUp there, so no late call.
    if (s.wakeUp)
        s.wakeUp();
    if (s.state != State::Closing)
        s.setState(State::Idle);
}

void writerMain(std::shared_ptr<Shared> shared, std::string pcmName, std::uint32_t rate)
{
    Shared& s = *shared;
    snd_pcm_t* pcm = nullptr;
    // Non-blocking: a busy device is an error at once.
    int err = snd_pcm_open(&pcm, pcmName.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    std::int32_t result = err < 0 ? nameResultOf(err) : WaveResult::NoError;
    if (err >= 0)
        err = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate,
                                 1, kLatencyUs);
    {
        const std::lock_guard lock(s.mutex);
        s.openResult = result != WaveResult::NoError ? result
                       : err < 0                     ? openResultOf(err)
                                                     : WaveResult::NoError;
        if (s.state == State::Opening)
            s.setState(err < 0 ? State::Closing : State::Idle);
    }
    for (;;) {
        std::unique_lock lock(s.mutex);
        s.changed.wait(lock,
                       [&s] { return s.state == State::Requested || s.state == State::Closing; });
        if (s.state == State::Closing)
            break;
        s.setState(State::Playing);
        lock.unlock();
        playOnce(s, pcm, rate);
    }
    if (pcm)
        snd_pcm_close(pcm);
    const std::lock_guard lock(s.mutex);
    s.setState(State::Closed);
}

} // namespace

std::int32_t AlsaStream::open(const std::string& pcmName, std::uint32_t rate,
                              std::chrono::milliseconds deadline,
                              std::unique_ptr<AlsaStream>& stream)
{
    auto shared = std::make_shared<Shared>();
    if (shared->wakeFd < 0)
        return WaveResult::NoMemory;
    std::thread writer;
    try {
        writer = std::thread(writerMain, shared, pcmName, rate);
    } catch (const std::system_error&) {
        return WaveResult::NoMemory;
    }
    std::unique_lock lock(shared->mutex);
    if (!shared->changed.wait_for(lock, deadline,
                                  [&] { return shared->state != State::Opening; })) {
        // The writer closes whatever it opens late and ends by itself.
        shared->setState(State::Closing);
        lock.unlock();
        writer.detach();
        return WaveResult::TimedOut;
    }
    const std::int32_t result = shared->openResult;
    lock.unlock();
    if (result != WaveResult::NoError) {
        writer.join(); // it has nothing left to do but close
        return result;
    }
    stream.reset(new AlsaStream(std::move(shared), deadline));
    stream->m_writer = std::move(writer);
    return WaveResult::NoError;
}

AlsaStream::AlsaStream(std::shared_ptr<Shared> shared, std::chrono::milliseconds deadline)
    : m_shared(std::move(shared)), m_deadline(deadline)
{
}

AlsaStream::~AlsaStream()
{
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    s.setState(State::Closing);
    s.header = nullptr;
    s.data = nullptr;
    s.wakeUp = {};
    s.signal();
    const bool closed = s.changed.wait_for(lock, std::min(m_deadline, kCloseWait),
                                           [&s] { return s.state == State::Closed; });
    lock.unlock();
    if (closed)
        m_writer.join();
    else
        m_writer.detach();
}

std::int32_t AlsaStream::play(WaveHeader& header, std::function<void()> wakeUp)
{
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    // A stop has just been asked: the writer drops the sound and is back in a moment.
    s.changed.wait_for(lock, kCloseWait, [&s] { return s.state != State::Stopping; });
    if (s.state != State::Idle)
        return WaveResult::StillPlaying;
    s.header = &header;
    s.data = header.lpData;
    s.frames = header.dwBufferLength / 2;
    s.wakeUp = std::move(wakeUp);
    s.error = WaveResult::NoError;
    s.setState(State::Requested);
    return WaveResult::NoError;
}

void AlsaStream::stop()
{
    Shared& s = *m_shared;
    const std::lock_guard lock(s.mutex);
    if (s.header)
        s.header->dwFlags.fetch_or(WHDR_DONE);
    s.header = nullptr;
    s.data = nullptr;
    s.wakeUp = {};
    if (s.state == State::Requested)
        s.setState(State::Idle);
    else if (s.state == State::Playing)
        s.setState(State::Stopping);
    s.signal();
}

std::int32_t AlsaStream::error() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->error;
}

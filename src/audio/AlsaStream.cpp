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

enum class PlayEnd { Played, Stopped };

} // namespace

struct AlsaStream::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool opened = false; // the open has returned; openResult holds its code
    std::int32_t openResult = WaveResult::NoError;
    bool playRequested = false;
    bool stopRequested = false;
    bool closeRequested = false;
    bool busy = false;     // the writer is inside a play
    bool finished = false; // the writer has closed the PCM and is ending
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
};

namespace
{

using Shared = AlsaStream::Shared;

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

// Drops the queued sound when a stop or close was asked. The drop runs outside the mutex:
// through a frozen sound server it may block, and the caller must still get the mutex.
bool stopAsked(Shared& s, snd_pcm_t* pcm)
{
    {
        const std::lock_guard lock(s.mutex);
        if (!s.stopRequested && !s.closeRequested && s.data)
            return false;
    }
    snd_pcm_drop(pcm);
    return true;
}

// Feeds every frame from the caller's buffer; returns when all are in the PCM. The buffer
// is read only under the mutex, so a stop that clears it never races a write; the PCM is
// non-blocking, so the mutex is held only while samples are copied.
long feed(Shared& s, snd_pcm_t* pcm, PlayEnd& end)
{
    snd_pcm_uframes_t written = 0;
    for (;;) {
        if (stopAsked(s, pcm)) {
            end = PlayEnd::Stopped;
            return 0;
        }
        snd_pcm_sframes_t n = 0;
        {
            const std::lock_guard lock(s.mutex);
            if (!s.data)
                continue; // stopped since the check: the next pass drops
            if (written >= s.frames)
                return 0;
            n = snd_pcm_writei(pcm, s.data + written, s.frames - written);
        }
        if (n > 0)
            written += static_cast<snd_pcm_uframes_t>(n);
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
    // From here on the caller's buffer is never read again.
    if (err >= 0 && end == PlayEnd::Played)
        err = drainToEnd(s, pcm, rate, end);

    const std::lock_guard lock(s.mutex);
    s.busy = false;
    s.data = nullptr;
    if (err < 0)
        s.error = playResultOf(int(err));
    else if (end == PlayEnd::Played && s.header)
        s.header->dwFlags.fetch_or(WHDR_DONE);
    // Under the mutex: stop() and the destructor clear wakeUp there, so no late call.
    if (s.wakeUp)
        s.wakeUp();
    s.changed.notify_all();
}

void writerMain(std::shared_ptr<Shared> shared, std::string pcmName, std::uint32_t rate)
{
    Shared& s = *shared;
    snd_pcm_t* pcm = nullptr;
    // Non-blocking: a busy device is an error at once, and no write can hang the writer.
    int err = snd_pcm_open(&pcm, pcmName.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err >= 0)
        err = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate,
                                 1, kLatencyUs);
    {
        const std::lock_guard lock(s.mutex);
        s.opened = true;
        s.openResult = err < 0 ? openResultOf(err) : WaveResult::NoError;
        s.changed.notify_all();
    }
    while (err >= 0) {
        std::unique_lock lock(s.mutex);
        s.changed.wait(lock, [&s] { return s.playRequested || s.closeRequested; });
        if (s.closeRequested)
            break;
        s.playRequested = false;
        lock.unlock();
        playOnce(s, pcm, rate);
    }
    if (pcm)
        snd_pcm_close(pcm);
    const std::lock_guard lock(s.mutex);
    s.finished = true;
    s.changed.notify_all();
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
    if (!shared->changed.wait_for(lock, deadline, [&] { return shared->opened; })) {
        // The writer closes whatever it opens late and ends by itself.
        shared->closeRequested = true;
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
    s.closeRequested = true;
    s.header = nullptr;
    s.data = nullptr;
    s.wakeUp = {};
    s.changed.notify_all();
    s.signal();
    const bool finished = s.changed.wait_for(lock, m_deadline, [&s] { return s.finished; });
    lock.unlock();
    if (finished)
        m_writer.join();
    else
        m_writer.detach();
}

std::int32_t AlsaStream::play(WaveHeader& header, std::function<void()> wakeUp)
{
    Shared& s = *m_shared;
    const std::lock_guard lock(s.mutex);
    if (s.busy)
        return WaveResult::StillPlaying;
    s.header = &header;
    s.data = header.lpData;
    s.frames = header.dwBufferLength / 2;
    s.wakeUp = std::move(wakeUp);
    s.error = WaveResult::NoError;
    s.stopRequested = false;
    s.playRequested = true;
    s.busy = true;
    s.changed.notify_all();
    return WaveResult::NoError;
}

void AlsaStream::stop()
{
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    if (s.header)
        s.header->dwFlags.fetch_or(WHDR_DONE);
    s.header = nullptr;
    s.data = nullptr;
    s.wakeUp = {};
    if (!s.busy)
        return;
    s.stopRequested = true;
    s.signal();
    // A writer still in the drain lets go when it returns; the buffer is already safe.
    s.changed.wait_for(lock, m_deadline, [&s] { return !s.busy; });
}

std::int32_t AlsaStream::error() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->error;
}

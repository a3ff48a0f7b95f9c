#include "AlsaWaveOut.h"

#include "AlsaOutputList.h"
#include "AlsaResult.h"
#include "AlsaStream.h"

#include <alsa/asoundlib.h>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

namespace
{

const char* const kDefaultPcm = "default";

// Runs a libasound query on a thread of its own and waits for it up to the deadline: reading
// ALSA's configuration runs its hooks, and the pulse hook asks the sound server, which may
// be frozen. A late query finishes alone and its answer is dropped.
template <typename T, typename Query>
T queryWithin(std::chrono::milliseconds deadline, T fallback, Query query)
{
    struct Box {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<T> value;
    };
    auto box = std::make_shared<Box>();
    try {
        std::thread([box, query] {
            T value = query();
            const std::lock_guard lock(box->mutex);
            box->value = std::move(value);
            box->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return fallback;
    }
    std::unique_lock lock(box->mutex);
    if (!box->done.wait_for(lock, deadline, [&] { return box->value.has_value(); }))
        return fallback;
    return std::move(*box->value);
}

struct CardCounts {
    std::uint32_t playback = 0;
    std::uint32_t capture = 0;
};

// The PCM devices of every sound card, by direction.
CardCounts countCardDevices()
{
    CardCounts counts;
    snd_pcm_info_t* info = nullptr;
    if (snd_pcm_info_malloc(&info) < 0)
        return counts;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        snd_ctl_t* ctl = nullptr;
        if (snd_ctl_open(&ctl, ("hw:" + std::to_string(card)).c_str(), SND_CTL_NONBLOCK) < 0)
            continue;
        int device = -1;
        while (snd_ctl_pcm_next_device(ctl, &device) == 0 && device >= 0) {
            snd_pcm_info_set_device(info, static_cast<unsigned>(device));
            snd_pcm_info_set_subdevice(info, 0);
            snd_pcm_info_set_stream(info, SND_PCM_STREAM_PLAYBACK);
            counts.playback += snd_ctl_pcm_info(ctl, info) == 0 ? 1 : 0;
            snd_pcm_info_set_stream(info, SND_PCM_STREAM_CAPTURE);
            counts.capture += snd_ctl_pcm_info(ctl, info) == 0 ? 1 : 0;
        }
        snd_ctl_close(ctl);
    }
    snd_pcm_info_free(info);
    return counts;
}

// 0 when the PCM opens for playback at the program's own format, else open()'s code.
std::int32_t openForPlayback(const std::string& name)
{
    snd_pcm_t* pcm = nullptr;
    int err = snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0)
        return nameResultOf(err);
    err = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, 22050, 1,
                             500000);
    snd_pcm_close(pcm);
    return err < 0 ? openResultOf(err) : WaveResult::NoError;
}

// libasound's own messages go to stderr, where they would stand beside the numbered
// reports in other words; the reports carry the codes.
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...)
{
}

} // namespace

// Mono only: the writer opens the PCM for one channel.
AlsaWaveOut::AlsaWaveOut(std::chrono::milliseconds deadline)
    : m_deadline(deadline), m_opens(1, static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
{
    snd_lib_error_set_handler(ignoreAlsaMessage);
}

// Each stream's destructor drops its play and closes its PCM within the deadline.
AlsaWaveOut::~AlsaWaveOut() = default;

std::string AlsaWaveOut::pcmName() const
{
    return outputDevice().empty() ? std::string(kDefaultPcm) : outputDevice();
}

std::vector<OutputDevice> AlsaWaveOut::outputDevices()
{
    return queryWithin(m_deadline, std::vector<OutputDevice>{}, alsaOutputList);
}

std::uint32_t AlsaWaveOut::inputDeviceCount()
{
    return queryWithin(m_deadline, std::uint32_t{0}, [] { return countCardDevices().capture; });
}

std::uint32_t AlsaWaveOut::outputDeviceCount()
{
    return queryWithin(m_deadline, std::uint32_t{1}, [name = pcmName()] {
        const std::uint32_t onCards = countCardDevices().playback;
        if (onCards != 0)
            return onCards;
        return openForPlayback(name) == WaveResult::NoError ? std::uint32_t{1} : std::uint32_t{0};
    });
}

std::int32_t AlsaWaveOut::checkOutput(const std::string& name)
{
    return queryWithin(m_deadline, WaveResult::TimedOut, [name] { return openForPlayback(name); });
}

std::string AlsaWaveOut::reasonFor(int step, std::int32_t code) const
{
    const bool open = step == 1;
    switch (code) {
    case WaveResult::BadDeviceId:
        return "ALSA has no output of that name";
    case WaveResult::Allocated:
        return "the output is busy: another program holds it";
    case WaveResult::NoDriver:
        return open ? "the sound card or sound server that the output points at is not there"
                    : "the sound card or sound server went away during the play";
    case WaveResult::BadFormat:
        return "the output cannot play 16-bit mono at this rate (a \"hw:\" name converts "
               "nothing; \"plughw:\" does)";
    case WaveResult::TimedOut:
        return open ? "the output did not open within the deadline"
                    : WaveOut::reasonFor(step, code);
    case WaveResult::Error:
        return open ? "the output could not be opened" : "writing to the output failed";
    default:
        return WaveOut::reasonFor(step, code);
    }
}

std::int32_t AlsaWaveOut::open(WaveHandle& handle, const WaveFormat& format)
{
    if (const std::int32_t unplayable = m_opens.checkFormat(format))
        return unplayable;
    std::unique_ptr<AlsaStream> stream;
    const std::int32_t result =
        AlsaStream::open(pcmName(), format.nSamplesPerSec, m_deadline, stream);
    if (result != WaveResult::NoError)
        return result;
    handle = m_opens.add(std::move(stream));
    return WaveResult::NoError;
}

std::int32_t AlsaWaveOut::prepareHeader(WaveHandle handle, WaveHeader& header)
{
    return m_opens.prepare(handle, header);
}

std::int32_t AlsaWaveOut::write(WaveHandle handle, WaveHeader& header)
{
    return m_opens.write(handle, header, [this, &header](Open& open) {
        return open.stream->play(header, [this] { wakeUp(); });
    });
}

std::int32_t AlsaWaveOut::unprepareHeader(WaveHandle handle, WaveHeader& header)
{
    return m_opens.unprepare(handle, header);
}

std::int32_t AlsaWaveOut::close(WaveHandle handle)
{
    // Nothing to hold: the stream closes its PCM on the writer thread.
    return m_opens.close(handle, [] { return nullptr; });
}

std::int32_t AlsaWaveOut::reset(WaveHandle handle)
{
    // snd_pcm_drop on the writer; the stream forgets the buffer under its lock, so the writer
    // cannot read it once stop() returns.
    return m_opens.reset(handle, [](Open& open) { open.stream->stop(); });
}

std::int32_t AlsaWaveOut::deviceError(WaveHandle handle)
{
    const Open* open = m_opens.find(handle);
    return open ? open->stream->error() : WaveResult::InvalidHandle;
}

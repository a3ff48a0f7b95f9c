#include "PlaybackCycle.h"

#include "EventPump.h"
#include "Messages.h"
#include "Renderer.h"
#include "TickCounter.h"
#include "Timings.h"
#include "ToneErrors.h"
#include "WaitUntil.h"
#include "modTone.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>

namespace
{

const std::string kReportTitle = " SuonaSequenza";
const std::string kQuorvelTitle = "Quorvel";

// A sound mixer shows this many characters of the sequence as the stream's name.
constexpr std::size_t kMediaNameLength = 24;

// A lost wake-up can delay the end of a wait by at most this much.
constexpr std::uint32_t kLongestSleepMs = 250;

// A code is written with one position for its sign: a blank before zero and positive codes.
std::string signedCode(std::int32_t code)
{
    return (code < 0 ? "" : " ") + std::to_string(code);
}

// The wait gives up when the done flag is this late: the buffer's duration plus half of
// it plus 10 s, capped so that tick differences modulo 2^32 stay unambiguous.
std::uint32_t waitLimitMs(std::uint32_t bytes, std::uint32_t samplesPerSec)
{
    const double durationMs = (bytes / 2.0) * 1000.0 / std::max<std::uint32_t>(samplesPerSec, 1);
    const double limit = durationMs * 1.5 + 10000.0;
    return static_cast<std::uint32_t>(
        std::min(limit, double(std::numeric_limits<std::int32_t>::max())));
}

} // namespace

PlaybackCycle::PlaybackCycle(modTone& module, WaveOut& device, TickCounter& ticks,
                             Messages& messages, EventPump& events)
    : m_module(module), m_device(device), m_ticks(ticks), m_messages(messages), m_events(events),
      m_toneSetIndex([] { return 0; })
{
    m_device.setWakeUp([&events] { events.wakeUp(); });
}

PlaybackCycle::~PlaybackCycle()
{
    m_device.setWakeUp({});
}

void PlaybackCycle::setBeforeWrite(std::function<bool()> step)
{
    m_beforeWrite = std::move(step);
}

void PlaybackCycle::setDuringWait(std::function<std::uint32_t()> pass)
{
    m_duringWait = std::move(pass);
}

void PlaybackCycle::setToneSetIndexSource(std::function<int()> source)
{
    m_toneSetIndex = source ? std::move(source) : [] { return 0; };
}

bool PlaybackCycle::CheckSoundCard()
{
    // Input or output: a tone sender needs no microphone.
    if (m_device.inputDeviceCount() != 0 || m_device.outputDeviceCount() != 0)
        return true;
    m_messages.show("Questo PC non ha schede audio.\r\nIl programma verrà ora chiuso.",
                    kQuorvelTitle, Messages::Icon::Critical);
    return false;
}

void PlaybackCycle::SuonaSequenza(std::string sequence)
{
    if (sequence.empty() || m_module.Playing)
        return;
    bool opened = false;
    try {
        const std::int32_t n = prepareBuffer(m_module, sequence);
        m_format = WaveFormat{};
        m_format.nSamplesPerSec = static_cast<std::uint32_t>(roundToInt32(m_module.SampleRate));
        m_format.nAvgBytesPerSec = 2 * m_format.nSamplesPerSec;
        m_device.setMediaName(sequence.substr(0, kMediaNameLength));
        m_module.Playing = true;
        opened = true;
        if (!openAndPrepare(n))
            return;
        renderSamples(m_module, std::move(sequence), m_toneSetIndex());
        if (!readyToWrite() || !writeAndWait())
            return;
        finish();
    } catch (const ToneError& e) {
        renderFailed(e.what(), opened);
    } catch (const std::bad_alloc&) {
        renderFailed("Out of memory: the sound could not be rendered.", opened);
    }
}

void PlaybackCycle::StopSound()
{
    // The stop step's own failures are never reported.
    if (m_WaveHandle != 0) {
        try {
            m_device.reset(m_WaveHandle);
            m_device.close(m_WaveHandle);
        } catch (...) {
        }
        m_WaveHandle = 0;
    }
    releaseBuffer();
    m_module.Playing = false;
}

void PlaybackCycle::releaseBuffer()
{
    // A long play's samples run to hundreds of MB; they are not kept until the next Send.
    m_WaveHeader.lpData = nullptr;
    m_module.SampleBuffer = PcmBuffer{};
}

bool PlaybackCycle::openAndPrepare(std::int32_t n)
{
    const std::int32_t opened = m_device.open(m_WaveHandle, m_format);
    if (opened != WaveResult::NoError) {
        report(1, "1. waveOutOpen failed - ", opened);
        StopSound();
        return false;
    }
    m_WaveHeader.dwFlags = 0;
    m_WaveHeader.dwLoops = 0;
    m_WaveHeader.dwBytesRecorded = 0;
    m_WaveHeader.lpNext = nullptr;
    m_WaveHeader.lpData = m_module.SampleBuffer.data();
    m_WaveHeader.dwBufferLength = 2 * static_cast<std::uint32_t>(n);
    m_WaveHeader.dwUser = 1;
    const std::int32_t prepared = m_device.prepareHeader(m_WaveHandle, m_WaveHeader);
    if (prepared != WaveResult::NoError) {
        report(2, "2. waveOutPrepareHeader failed - ", prepared);
        StopSound();
        return false;
    }
    return true;
}

void PlaybackCycle::requestStop()
{
    if (!m_waiting && !m_beforeWriteRuns)
        return;
    m_stopRequested = true;
    m_events.wakeUp();
}

bool PlaybackCycle::readyToWrite()
{
    m_stopRequested = false;
    if (!m_beforeWrite)
        return true;
    m_beforeWriteRuns = true;
    bool ready = false;
    try {
        ready = m_beforeWrite();
    } catch (...) {
        m_beforeWriteRuns = false;
        StopSound();
        throw;
    }
    m_beforeWriteRuns = false;
    if (ready && !m_stopRequested)
        return true;
    m_module.ElapsedMs = 0;
    StopSound();
    m_lastResult = Result::Stopped;
    return false;
}

bool PlaybackCycle::writeAndWait()
{
    std::int32_t failure = m_device.write(m_WaveHandle, m_WaveHeader);
    if (failure == WaveResult::NoError) {
        const std::uint32_t start = m_ticks.GetTickCount();
        Deadline deadline(m_ticks,
                          waitLimitMs(m_WaveHeader.dwBufferLength, m_format.nSamplesPerSec));
        bool played = false;
        m_waiting = true;
        // Each pass reads the done flag afresh after the events; between passes the thread
        // sleeps until an event, the device's wake-up or the next check.
        const bool ended = waitUntil(m_events, deadline, [&](std::uint64_t& nextPassMs) {
            nextPassMs = kLongestSleepMs;
            if (m_duringWait)
                nextPassMs = std::min<std::uint64_t>(nextPassMs, m_duringWait());
            if (m_stopRequested)
                return true;
            played = (m_WaveHeader.dwFlags.load() & WHDR_DONE) != 0;
            if (played)
                return true;
            failure = m_device.deviceError(m_WaveHandle);
            return failure != WaveResult::NoError;
        });
        m_waiting = false;
        if (ended && (played || m_stopRequested)) {
            // The difference modulo 2^32 survives a wrap of the counter.
            m_module.ElapsedMs = static_cast<std::int32_t>(m_ticks.GetTickCount() - start);
            if (played)
                return true;
            StopSound();
            m_lastResult = Result::Stopped;
            return false;
        }
        if (!ended)
            failure = WaveResult::TimedOut;
    }
    report(3, "3. waveOutWrite failed - ", failure);
    StopSound();
    return false;
}

void PlaybackCycle::finish()
{
    const std::int32_t unprepared = m_device.unprepareHeader(m_WaveHandle, m_WaveHeader);
    if (unprepared != WaveResult::NoError) {
        report(4, "4. waveOutUnPrepareHeader failed - 1 - ", unprepared);
        StopSound();
        return;
    }
    const std::int32_t closed = m_device.close(m_WaveHandle);
    if (closed != WaveResult::NoError) {
        // The handle is left to the platform; the next cycle opens a new device.
        report(5, "5. waveOutClose failed - ", closed);
        m_module.Playing = false;
        return;
    }
    m_WaveHandle = 0;
    releaseBuffer();
    m_module.Playing = false;
    m_lastResult = Result::Played;
}

void PlaybackCycle::report(int step, const std::string& literal, std::int32_t code)
{
    m_lastResult = Result::Failed;
    m_messages.showReport(literal + signedCode(code), kReportTitle, step, code);
}

void PlaybackCycle::renderFailed(const std::string& text, bool deviceOpened)
{
    m_lastResult = Result::Failed;
    if (deviceOpened)
        StopSound();
    m_module.Playing = false;
    m_messages.show(text, kQuorvelTitle, Messages::Icon::Critical);
}

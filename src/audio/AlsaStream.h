#pragma once

#include "WaveOut.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// One open ALSA PCM and the writer thread that owns it. Every libasound call on the PCM,
// the open and the close included, runs on that thread, and never while the state's mutex is
// held: a plugin can block inside any call (the pulse plugin on a frozen server, the file
// plugin on a pipe that nobody reads), and the caller's thread takes that mutex to ask and to
// stop. The caller therefore waits on the writer only where it chooses to, with a deadline.
//
// Lifetime: the writer holds the shared state; the caller's side only asks and waits with a
// deadline. A writer that misses a deadline is left to finish alone: it closes the PCM when
// its call returns and then ends. It cannot reach the caller's buffer, header or wake-up
// after a stop: it copies samples out of the buffer, and reads the header and the wake-up,
// only under the mutex, and the caller clears them there.
class AlsaStream
{
public:
    struct Shared;

    // Starts the writer, which opens pcmName for 16-bit mono playback at the rate; waits for
    // that up to the deadline. Returns 0 and the stream, or a WaveResult code.
    static std::int32_t open(const std::string& pcmName, std::uint32_t rate,
                             std::chrono::milliseconds deadline,
                             std::unique_ptr<AlsaStream>& stream);
    // Asks the writer to drop the play and close the PCM; joins it within the deadline, or
    // leaves it to end alone.
    ~AlsaStream();
    AlsaStream(const AlsaStream&) = delete;
    AlsaStream& operator=(const AlsaStream&) = delete;

    // Hands the header's samples to the writer, which copies them from the caller's buffer a
    // chunk at a time, drains the PCM, then sets WHDR_DONE and calls wakeUp (from its own
    // thread). StillPlaying while the writer is still inside an earlier play.
    std::int32_t play(WaveHeader& header, std::function<void()> wakeUp);
    // Forgets the header, which is marked done, and asks the writer to drop what is queued
    // (the sound stops at once). Returns without waiting: the buffer is already safe.
    void stop();
    // Non-zero once the play failed after play() returned.
    std::int32_t error() const;

private:
    AlsaStream(std::shared_ptr<Shared> shared, std::chrono::milliseconds deadline);

    std::shared_ptr<Shared> m_shared;
    std::thread m_writer;
    std::chrono::milliseconds m_deadline;
};

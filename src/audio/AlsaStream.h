#pragma once

#include "WaveOut.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// One open ALSA PCM and the writer thread that owns it. Every libasound call on the PCM,
// the open and the close included, runs on that thread, so the caller never blocks on the
// device for longer than the deadline it gives.
//
// Lifetime: the writer holds the shared state; the caller's side only asks and waits with a
// deadline. A writer that misses a deadline (a plugin whose server froze mid-drain, say) is
// left to finish alone: it closes the PCM when its call returns and then ends. It can no
// longer reach the caller's buffer, header or wake-up, because it reads them only under the
// state's mutex and the caller clears them there before it stops waiting. Only the drain and
// the close can block; neither reads the caller's buffer.
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

    // Hands the header's samples to the writer, which feeds them straight from the caller's
    // buffer, drains the PCM, then sets WHDR_DONE and calls wakeUp (from its own thread).
    std::int32_t play(WaveHeader& header, std::function<void()> wakeUp);
    // Drops what is queued (the sound stops at once) and forgets the header, which is marked
    // done. Waits for the writer to let go of the buffer, up to the deadline.
    void stop();
    // Non-zero once the play failed after play() returned.
    std::int32_t error() const;

private:
    AlsaStream(std::shared_ptr<Shared> shared, std::chrono::milliseconds deadline);

    std::shared_ptr<Shared> m_shared;
    std::thread m_writer;
    std::chrono::milliseconds m_deadline;
};

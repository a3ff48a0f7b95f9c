#pragma once

#include "WaveDeviceTable.h"
#include "WaveOut.h"

#include <chrono>

class AlsaStream;

// Plays on ALSA (libasound), for machines without a sound server. The output is
// outputDevice() when set, an ALSA PCM name such as "plughw:CARD=Device,DEV=0", else
// "default". Each open starts one writer thread that owns the PCM (see AlsaStream).
//
// Result codes (WaveResult), the same numbers the other backends report, with the reasons
// that reasonFor() gives for them:
//   open (report 1):  2 no PCM of that name; 4 the device is busy; 6 the card or the
//                     sound server that the name points at is not there;
//                     7 out of memory; 32 not 16-bit mono at this rate (a "hw:" name
//                     without conversion, or a bad format record); 258 the open did not
//                     return within the deadline; 1 any other failure.
//   deviceError (report 3): 6 the card or the server went away mid-play; 1 any other
//                     failure of a write or of the drain.
//   the header steps: 5 no such handle; 11 a header without data; 33 still playing;
//                     34 not prepared.
//
// Device counts for CheckSoundCard. ALSA always lists virtual outputs (null, pulse, jack…)
// even where nothing can sound, so listing alone cannot tell a machine without sound. So:
//   input:  the capture devices of the sound cards;
//   output: the playback devices of the sound cards; with no card, 1 when the output that
//           open() would use actually opens for playback, else 0.
// A machine with neither card nor sound server thus counts 0 and 0 (its "default" names a
// card that is missing), while a configuration whose default is a pulse or file plugin
// that works counts one output and plays. A count that does not end within the deadline
// (a pulse plugin on a frozen server) counts one output, as the libpulse backend counts a
// stuck server: the open then reports it with its code.
class AlsaWaveOut : public WaveOut
{
public:
    // deadline bounds every wait on the device: an open, a count, a stop, a close.
    explicit AlsaWaveOut(std::chrono::milliseconds deadline = std::chrono::milliseconds(3000));
    ~AlsaWaveOut() override;

    std::vector<OutputDevice> outputDevices() override;
    // Any PCM name that opens for playback at 16-bit mono, listed or not ("plughw:1,0", a
    // PCM of the user's own configuration).
    std::int32_t checkOutput(const std::string& name) override;
    std::string reasonFor(int step, std::int32_t code) const override;
    std::uint32_t inputDeviceCount() override;
    std::uint32_t outputDeviceCount() override;
    std::int32_t open(WaveHandle& handle, const WaveFormat& format) override;
    std::int32_t prepareHeader(WaveHandle handle, WaveHeader& header) override;
    std::int32_t write(WaveHandle handle, WaveHeader& header) override;
    std::int32_t unprepareHeader(WaveHandle handle, WaveHeader& header) override;
    std::int32_t close(WaveHandle handle) override;
    std::int32_t reset(WaveHandle handle) override;
    std::int32_t deviceError(WaveHandle handle) override;

private:
    using Open = WaveDeviceTable<AlsaStream>::Device;

    std::string pcmName() const;

    std::chrono::milliseconds m_deadline;
    WaveDeviceTable<AlsaStream> m_opens;
};

#pragma once

#include "WaveOut.h"

#include <cerrno>
#include <cstdint>

// How libasound's negative errno results read as the wave-out codes of the reports.

// A failed open, which report 1 shows.
inline std::int32_t openResultOf(int err)
{
    switch (-err) {
    case ENOENT: // no PCM of that name, or its card is missing
    case ENXIO:
        return WaveResult::BadDeviceId;
    case EBUSY: // another program holds the device
    case EAGAIN:
        return WaveResult::Allocated;
    case EINVAL: // the device cannot play 16-bit mono at this rate
        return WaveResult::BadFormat;
    case ENOMEM:
        return WaveResult::NoMemory;
    case ENODEV: // a sound server that is not there, or a card that went away
    case ECONNREFUSED:
    case EHOSTDOWN:
        return WaveResult::NoDriver;
    default:
        return WaveResult::Error;
    }
}

// A failed snd_pcm_open: EINVAL there is a name that ALSA cannot read ("plughw:97,0"), not a
// format, which only the parameters that follow can refuse.
inline std::int32_t nameResultOf(int err)
{
    return err == -EINVAL ? WaveResult::BadDeviceId : openResultOf(err);
}

// A failure after the write, which report 3 shows.
inline std::int32_t playResultOf(int err)
{
    switch (-err) {
    case ENODEV: // unplugged card, or the sound server went away
    case EBADFD:
    case ECONNRESET:
    case EIO:
        return WaveResult::NoDriver;
    default:
        return WaveResult::Error;
    }
}

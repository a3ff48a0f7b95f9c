#include "WaveOut.h"

#include <algorithm>

std::int32_t WaveOut::checkOutput(const std::string& name)
{
    const std::vector<OutputDevice> outputs = outputDevices();
    const bool listed = std::any_of(outputs.begin(), outputs.end(),
                                    [&name](const OutputDevice& o) { return o.name == name; });
    return outputs.empty() || listed ? WaveResult::NoError : WaveResult::BadDeviceId;
}

std::string WaveOut::reasonFor(int step, std::int32_t code) const
{
    switch (code) {
    case WaveResult::Error:
        return step == 3 ? "the output failed during the play" : "the output failed";
    case WaveResult::BadDeviceId:
        return "there is no such output";
    case WaveResult::Allocated:
        return "the output could not be opened";
    case WaveResult::InvalidHandle:
        return "no open output has this handle";
    case WaveResult::NoDriver:
        return step == 1 ? "the sound system is not there" : "the sound system went away";
    case WaveResult::NoMemory:
        return "out of memory";
    case WaveResult::InvalidParam:
        return "the buffer holds no sound";
    case WaveResult::BadFormat:
        return "the output cannot play 16-bit sound at this rate";
    case WaveResult::StillPlaying:
        return "the buffer is still playing";
    case WaveResult::Unprepared:
        return "the buffer was not prepared";
    case WaveResult::TimedOut:
        return step == 3 ? "the end of the play never came" : "the output did not answer in time";
    default:
        return "an unknown failure";
    }
}

#pragma once

#include <string>

// A line that keys a radio transmitter (push-to-talk). Every step returns an empty text on
// success and otherwise a reason for people that names the device.
class PttLine
{
public:
    virtual ~PttLine() = default;

    // Opens the device and puts the line in its released state, which also proves that the
    // line can be driven before anything is keyed.
    virtual std::string open() = 0;
    virtual std::string key() = 0;
    virtual std::string unkey() = 0;
};

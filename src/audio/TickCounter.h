#pragma once

#include <cstdint>

// A 32-bit millisecond counter; it wraps after about 49.7 days, so only differences taken
// modulo 2^32 are meaningful.
class TickCounter
{
public:
    virtual ~TickCounter() = default;
    virtual std::uint32_t GetTickCount() = 0;
};

// The monotonic clock in milliseconds, modulo 2^32.
class SteadyTickCounter : public TickCounter
{
public:
    std::uint32_t GetTickCount() override;
};

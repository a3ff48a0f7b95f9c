#pragma once

#include "TickCounter.h"

// A tick counter that stands still until the test moves it.
class FakeTickCounter : public TickCounter
{
public:
    std::uint32_t now = 0;

    std::uint32_t GetTickCount() override
    {
        ++m_reads;
        return now;
    }
    // Moves the counter on, wrapping modulo 2^32 as the real one does.
    void advance(std::uint32_t ms) { now += ms; }
    int reads() const { return m_reads; }

private:
    int m_reads = 0;
};

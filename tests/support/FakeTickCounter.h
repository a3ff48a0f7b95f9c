#pragma once

#include "TickCounter.h"

// A tick counter that stands still until the test moves it.
class FakeTickCounter : public TickCounter
{
public:
    std::uint32_t now = 0;

    std::uint32_t GetTickCount() override { return now; }
    // Wraps modulo 2^32, as the real counter does.
    void advance(std::uint32_t ms) { now += ms; }
};

#pragma once

#include "LineWait.h"

// Blocks the calling thread in poll(), for a program that has nothing else to do meanwhile
// (the watchdog process) and for the tests. Never stopped.
class BlockingLineWait : public LineWait
{
public:
    bool waitFor(std::chrono::milliseconds limit, int fd,
                 const std::function<bool()>& ready) override;
    // Its slices are short enough for anything that would wake it.
    void wakeUp() override {}
    bool stopped() const override { return false; }
};

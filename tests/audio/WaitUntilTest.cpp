#include "WaitUntil.h"

#include "FakeEventPump.h"
#include "FakeTickCounter.h"

#include <gtest/gtest.h>
#include <vector>

// A limit longer than the 32-bit tick counter's wrap still ends where it should, and each
// sleep is bounded by the deadline and by what the condition asks for.
TEST(WaitUntil, CountsPastTheTickWrapAndSleepsNoLongerThanAsked)
{
    FakeTickCounter ticks;
    ticks.now = 0xFFFFFF00u;
    FakeEventPump events;
    std::vector<long> sleeps;
    events.onWait = [&](std::chrono::milliseconds limit) {
        sleeps.push_back(static_cast<long>(limit.count()));
        ticks.advance(static_cast<std::uint32_t>(std::min<long>(limit.count(), 3'000'000'000)));
    };
    // 2^32 + 1000 ms: a 32-bit count would wrap to 1000 and end after the first sleep.
    Deadline deadline(ticks, (1ull << 32) + 1000);
    int passes = 0;
    EXPECT_FALSE(waitUntil(events, deadline, [&](std::uint64_t&) { return ++passes < 0; }));
    EXPECT_EQ(deadline.elapsedMs(), (1ull << 32) + 1000);
    // A day at most per sleep: 49 of them, then the 61368296 ms that are left.
    ASSERT_EQ(sleeps.size(), 50u);
    EXPECT_EQ(sleeps.front(), 86'400'000);
    EXPECT_EQ(sleeps.back(), 61'368'296);
    EXPECT_EQ(passes, 51);

    // done() shortens the sleep; a passed deadline still gets one pass, and done() ends it.
    sleeps.clear();
    Deadline shortWait(ticks, 120);
    passes = 0;
    EXPECT_TRUE(waitUntil(events, shortWait, [&](std::uint64_t& next) {
        next = 50;
        return ++passes == 3;
    }));
    EXPECT_EQ(sleeps, (std::vector<long>{50, 50}));
    Deadline passed(ticks, 0);
    passes = 0;
    EXPECT_FALSE(waitUntil(events, passed, [&](std::uint64_t&) { return ++passes > 1; }));
    EXPECT_EQ(passes, 1);
}

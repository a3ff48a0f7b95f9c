#include "Renderer.h"

#include "DtmfTable.h"
#include "RepeatTone.h"
#include "Segments.h"
#include "SequenceCounts.h"
#include "Timings.h"
#include "ToneErrors.h"
#include "modTone.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{

// A module with the DTMF rows and the durations (in milliseconds) already converted.
modTone makeModule(double toneMs, double pauseMs, double seqPauseMs)
{
    modTone m;
    LoadDtmfTable(m.Tones);
    m.ToneDuration = toneMs / 1000;
    m.TonePause = pauseMs / 1000;
    m.SequencePause = seqPauseMs / 1000;
    ComputeTimings(m);
    return m;
}

// Sample l of the buffer, counting from 1.
std::int16_t sample(const modTone& m, std::int32_t l)
{
    return m.SampleBuffer.samples()[static_cast<std::size_t>(l) - 1];
}

bool silent(const modTone& m, std::int32_t first, std::int32_t last)
{
    for (std::int32_t l = first; l <= last; ++l)
        if (sample(m, l) != 0)
            return false;
    return true;
}

TEST(ComputeTimings, ConvertsMillisecondsWithHalvesToEven)
{
    const std::pair<double, std::int32_t> table[] = {
        {0, 0},      {1, 22},     {10, 220},   {50, 1102},  {60, 1323},   {70, 1544},
        {100, 2205}, {150, 3308}, {250, 5512}, {300, 6615}, {1000, 22050}};
    for (const auto& [ms, samples] : table) {
        const modTone m = makeModule(ms, ms, ms);
        EXPECT_EQ(m.ToneSamples, samples) << ms;
        EXPECT_EQ(m.TonePauseSamples, samples) << ms;
        EXPECT_EQ(m.SequencePauseSamples, samples) << ms;
    }
    const modTone m = makeModule(0, 0, 0);
    EXPECT_EQ(m.SampleRate, 22050);
    EXPECT_EQ(m.Amplitude, 16000);
}

TEST(ComputeTimings, RefusesCountsBeyondThirtyTwoBits)
{
    modTone m;
    m.ToneDuration = 97391; // 2147471550 samples: still fits
    EXPECT_NO_THROW(ComputeTimings(m));
    EXPECT_EQ(m.ToneSamples, 2147471550);
    m.ToneDuration = 97392;
    EXPECT_THROW(ComputeTimings(m), OverflowError);
    m.ToneDuration = 0;
    m.SequencePause = -97392;
    EXPECT_THROW(ComputeTimings(m), OverflowError);
    m.SequencePause = std::nan("");
    EXPECT_THROW(ComputeTimings(m), OverflowError);
}

TEST(Renderer, WorkedExampleMatchesSampleForSample)
{
    modTone m = makeModule(70, 60, 300);
    renderSequence(m, "12 3", 0);
    ASSERT_EQ(m.SampleBuffer.size(), 12575);
    const std::int16_t first[] = {8561, 16362, 22725, 27120, 29219};
    for (int l = 1; l <= 5; ++l)
        EXPECT_EQ(sample(m, l), first[l - 1]) << l;
    EXPECT_EQ(sample(m, 1545), -29199);
    EXPECT_TRUE(silent(m, 1546, 2869));
    EXPECT_EQ(sample(m, 2870), -25766); // the phase runs on from sample 1
    EXPECT_NE(sample(m, 4414), 0);
    EXPECT_TRUE(silent(m, 4415, 11030));
    EXPECT_NE(sample(m, 11031), 0);
}

TEST(Renderer, SegmentsOfTheWorkedExample)
{
    modTone m = makeModule(70, 60, 300);
    const auto segments = planSegments(m, "12 3", 0, 12575);
    ASSERT_EQ(segments.size(), 5u);
    const std::pair<std::int32_t, std::int32_t> bounds[] = {
        {1, 1545}, {1546, 2869}, {2870, 4414}, {4415, 11030}, {11031, 12575}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(segments[i].first, bounds[i].first) << i;
        EXPECT_EQ(segments[i].last, bounds[i].second) << i;
    }
    EXPECT_DOUBLE_EQ(segments[0].step1, 0.19861134508408923);
    EXPECT_DOUBLE_EQ(segments[0].step2, 0.34450662296508444);
    EXPECT_EQ(segments[1].step1, 0);
    EXPECT_EQ(segments[3].step2, 0);
}

TEST(Renderer, CountsBlanksTonesAndPairs)
{
    struct Case {
        const char* text;
        std::int32_t tones, blanks, pairs;
    };
    const Case cases[] = {{"1", 1, 0, 0},  {"12 3", 3, 1, 1}, {"1 ", 1, 1, 0},  {" 1", 1, 1, 0},
                          {"  ", 0, 2, 0}, {"1 2", 2, 1, 0},  {"1G2", 3, 0, 2}, {"", 0, 0, 0}};
    for (const Case& c : cases) {
        const SequenceCounts counts = countSegments(c.text);
        EXPECT_EQ(counts.tones, c.tones) << c.text;
        EXPECT_EQ(counts.blanks, c.blanks) << c.text;
        EXPECT_EQ(counts.pairs, c.pairs) << c.text;
    }
}

TEST(Renderer, BufferLengthsOfTheEdgeCases)
{
    modTone m = makeModule(70, 60, 300);
    EXPECT_EQ(prepareBuffer(m, "1"), 1545);              // no pause after the last tone
    EXPECT_EQ(prepareBuffer(m, "1 "), 1545 + 6616);      // trailing blank
    EXPECT_EQ(prepareBuffer(m, " 1"), 6616 + 1545);      // leading blank
    EXPECT_EQ(prepareBuffer(m, "1 2"), 2 * 1545 + 6616); // no tone pause beside a blank
    renderSequence(m, "  ", 0);
    EXPECT_EQ(m.SampleBuffer.size(), 2 * 6616);
    EXPECT_TRUE(silent(m, 1, 2 * 6616));

    modTone zero = makeModule(0, 0, 0);
    renderSequence(zero, "12", 0);
    ASSERT_EQ(zero.SampleBuffer.size(), 3); // tone, pause, tone: one sample each
    EXPECT_EQ(sample(zero, 1), 8561);
    EXPECT_EQ(sample(zero, 2), 0);

    modTone slow = makeModule(250, 0, 0);
    EXPECT_EQ(prepareBuffer(slow, "1"), 5513);
    modTone fast = makeModule(50, 0, 0);
    EXPECT_EQ(prepareBuffer(fast, "1"), 1103);
}

TEST(Renderer, NonSymbolsAreSilentTonesWithPausesAround)
{
    modTone m = makeModule(10, 5, 0);
    renderSequence(m, "1Ga", 0); // 3 tones of 221, 2 pauses of 111
    ASSERT_EQ(m.SampleBuffer.size(), 3 * 221 + 2 * 111);
    EXPECT_NE(sample(m, 221), 0);
    EXPECT_TRUE(silent(m, 222, 3 * 221 + 2 * 111));
}

TEST(Renderer, FileSetSamplesAreTheSingleRoundedTerm)
{
    modTone m = makeModule(10, 0, 0);
    m.Tones[2][3] = 1275;
    m.Tones[2][4] = 0;
    renderSequence(m, "34", 2);
    const double step = 1275 * kTwoPi / 22050;
    for (std::int32_t l = 1; l <= 221; ++l)
        ASSERT_EQ(sample(m, l), std::nearbyint(16000 * std::sin(l * step))) << l;
    EXPECT_TRUE(silent(m, 222, m.SampleBuffer.size())); // pause, then symbol 4 at 0 Hz
}

TEST(RepeatTone, AlternatesRunsAndStopsAtBlanks)
{
    EXPECT_EQ(applyRepeatTone("11"), "1E");
    EXPECT_EQ(applyRepeatTone("111"), "1E1");
    EXPECT_EQ(applyRepeatTone("1111"), "1E1E");
    EXPECT_EQ(applyRepeatTone("11 11"), "1E 1E");
    EXPECT_EQ(applyRepeatTone("1 1"), "1 1");
    EXPECT_EQ(applyRepeatTone("EE"), "EE");
    EXPECT_EQ(applyRepeatTone("  "), "  ");
    EXPECT_EQ(applyRepeatTone("aA"), "aA"); // case-sensitive
    EXPECT_EQ(applyRepeatTone("aa"), "aE");
}

TEST(RepeatTone, RendersTheSubstitutedSequence)
{
    modTone repeated = makeModule(20, 10, 30);
    repeated.UseRepeatTone = true;
    renderSequence(repeated, "1111", 0);
    modTone plain = makeModule(20, 10, 30);
    renderSequence(plain, "1E1E", 0);
    ASSERT_EQ(repeated.SampleBuffer.size(), plain.SampleBuffer.size());
    EXPECT_TRUE(std::equal(plain.SampleBuffer.samples().begin(), plain.SampleBuffer.samples().end(),
                           repeated.SampleBuffer.samples().begin()));
}

TEST(Renderer, LengthOverflowRefusedBeforeAnythingIsAllocated)
{
    modTone m = makeModule(70, 0, 0);
    renderSequence(m, "1", 0);
    const std::int16_t* before = m.SampleBuffer.data();
    m.ToneSamples = 1 << 30;
    EXPECT_THROW(prepareBuffer(m, "11"), OverflowError);
    EXPECT_EQ(m.SampleBuffer.data(), before);
    EXPECT_EQ(m.SampleBuffer.size(), 1545);
    m.ToneSamples = 2147483647;
    EXPECT_THROW(prepareBuffer(m, "1"), OverflowError); // count + 1 overflows
}

TEST(Renderer, ByteLengthBeyondThirtyTwoBitsIsOutOfMemory)
{
    modTone m = makeModule(0, 0, 0);
    m.ToneSamples = (1 << 30) - 1; // n = 2^30 samples: 2^31 bytes
    EXPECT_THROW(prepareBuffer(m, "1"), OutOfMemoryError);
    EXPECT_TRUE(m.SampleBuffer.empty());
}

TEST(Renderer, NegativeCountsAreRefused)
{
    modTone m = makeModule(0, 0, 0);
    m.TonePauseSamples = -1;
    EXPECT_THROW(prepareBuffer(m, "12"), InvalidArgumentError);
}

TEST(Renderer, SymbolWithNoToneSetFailsBlanksDoNot)
{
    modTone m = makeModule(10, 0, 10);
    EXPECT_THROW(renderSequence(m, "1", -1), SubscriptOutOfRangeError);
    EXPECT_NO_THROW(renderSequence(m, " a ", -1));
    EXPECT_TRUE(silent(m, 1, m.SampleBuffer.size()));
}

} // namespace

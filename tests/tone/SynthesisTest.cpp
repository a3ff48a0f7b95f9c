#include "Synthesis.h"

#include "DtmfTable.h"
#include "ReferenceRenderer.h"
#include "Renderer.h"
#include "Segments.h"
#include "SineKernel.h"
#include "Timings.h"
#include "modTone.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace
{

constexpr std::int32_t kLargestBuffer = (1 << 30) - 1;
constexpr double kAmplitude16000 = 16000;

double stepOf(double hertz)
{
    return hertz * kTwoPi / 22050;
}

// How far amplitude * sin(x) lies from the nearest half-integer, by std::sin.
double distanceToHalf(double x)
{
    const double v = kAmplitude16000 * std::sin(x);
    return std::fabs(v - std::floor(v) - 0.5);
}

// Steps that reach every corner: DTMF, the highest and lowest file frequencies, above the
// Nyquist frequency, negative, fractional.
const double kSteps[] = {stepOf(697),   stepOf(1633),       stepOf(32767), stepOf(-32768),
                         stepOf(11025), stepOf(11026),      stepOf(-1),    stepOf(1),
                         stepOf(20000), 0.19861134508408923};

double randomMs(std::mt19937_64& rng, double upTo)
{
    switch (rng() % 4) {
    case 0:
        return 0;
    case 1:
        return static_cast<double>(rng() % static_cast<unsigned>(upTo + 1));
    default:
        return std::uniform_real_distribution<double>(0, upTo)(rng);
    }
}

std::int16_t randomFrequency(std::mt19937_64& rng)
{
    const std::int16_t special[] = {0, 0, -1, 1, 32767, -32768, 11025, 11026, 22050, -697};
    if (rng() % 3 == 0)
        return special[rng() % std::size(special)];
    return static_cast<std::int16_t>(rng());
}

TEST(Synthesis, RandomSequencesMatchTheReference)
{
    std::mt19937_64 rng(20240611);
    const char alphabet[] = "0123456789ABCDEF0123456789ABCDEF      aG?e*#";
    for (int round = 0; round < 3000; ++round) {
        modTone m;
        LoadDtmfTable(m.Tones);
        for (int row = 2; row < 5; ++row)
            for (auto& frequency : m.Tones[static_cast<std::size_t>(row)])
                frequency = randomFrequency(rng);
        m.ToneDuration = randomMs(rng, 40) / 1000;
        m.TonePause = randomMs(rng, 15) / 1000;
        m.SequencePause = randomMs(rng, 20) / 1000;
        m.UseRepeatTone = rng() % 2 == 0;
        ComputeTimings(m);
        std::string sequence(1 + rng() % 14, ' ');
        for (char& c : sequence)
            c = alphabet[rng() % (std::size(alphabet) - 1)];
        const int set = static_cast<int>(rng() % 5);

        const std::vector<std::int16_t> expected = referenceRender(m, sequence, set);
        renderSequence(m, sequence, set);
        const auto actual = m.SampleBuffer.samples();
        ASSERT_EQ(actual.size(), expected.size()) << sequence;
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(actual[i], expected[i])
                << "sample " << i + 1 << " of '" << sequence << "', set " << set;
    }
}

TEST(Synthesis, LongBuffersMatchTheReferenceOnEveryThreadCount)
{
    modTone m;
    LoadDtmfTable(m.Tones);
    m.ToneDuration = 1.5;
    m.TonePause = 0.3;
    m.SequencePause = 0.7;
    m.UseRepeatTone = true;
    ComputeTimings(m);
    const std::string sequence = "9D 0F#5 5 A";
    const std::vector<std::int16_t> expected = referenceRender(m, sequence, 1);
    ASSERT_GT(expected.size(), 1u << 18); // long enough to be split across threads

    renderSequence(m, sequence, 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), m.SampleBuffer.samples().begin()));

    const auto segments = planSegments(m, applyRepeatTone(sequence), 1, m.SampleBuffer.size());
    for (unsigned threads : {1u, 2u, 3u, 7u}) {
        std::vector<std::int16_t> samples(expected.size(), 12345);
        synthesizeWindow(samples, 1, segments, m.Amplitude, threads);
        EXPECT_EQ(samples, expected) << threads << " threads";
    }
}

TEST(Synthesis, LargestIndicesMatchTheReference)
{
    // The last few thousand samples of the longest buffer, without allocating it: one
    // window holding segments of every kind of step.
    constexpr std::int32_t kWindow = 6000;
    constexpr std::int32_t kFirst = kLargestBuffer - kWindow + 1;
    std::vector<Segment> segments;
    std::int32_t first = kFirst;
    for (const double step : kSteps) {
        segments.push_back({first, first + 499, step, step == 0 ? 0 : stepOf(1477)});
        first += 500;
    }
    segments.push_back({first, kLargestBuffer, stepOf(-32768), stepOf(32767)});
    std::vector<std::int16_t> window(kWindow, 12345);
    synthesizeWindow(window, kFirst, segments, kAmplitude16000, 2);
    for (const Segment& s : segments)
        for (std::int32_t l = s.first; l <= s.last; ++l)
            ASSERT_EQ(window[static_cast<std::size_t>(l - kFirst)],
                      referenceSample(kAmplitude16000, l, s.step1, s.step2))
                << l;

    // Beyond the fast sine's range the kernel still agrees, through std::sin.
    std::vector<std::int16_t> top(300);
    const std::int32_t topFirst = INT32_MAX - 299;
    synthesizeRun(top.data(), topFirst, 300, stepOf(32767), stepOf(697), kAmplitude16000);
    for (std::int32_t i = 0; i < 300; ++i)
        ASSERT_EQ(top[static_cast<std::size_t>(i)],
                  referenceSample(kAmplitude16000, topFirst + i, stepOf(32767), stepOf(697)));
}

TEST(Synthesis, FastSineStaysWithinItsBound)
{
    std::mt19937_64 rng(7);
    const double limits[] = {4, 1e4, 1e8, kFastArgumentLimit};
    double worst = 0;
    for (const double limit : limits) {
        std::uniform_real_distribution<double> argument(-limit, limit);
        for (int i = 0; i < 250000; ++i) {
            const double x = argument(rng);
            worst = std::max(worst, std::fabs(fastSine(x) - std::sin(x)));
        }
    }
    EXPECT_LE(worst, kFastSineErrorBound);
    EXPECT_GT(worst, kFastSineErrorBound / 4); // the bound is not loose by orders of magnitude
    EXPECT_LT(kAmplitude16000 * kFastSineErrorBound + 1e-11, kRoundingMargin);
}

TEST(Synthesis, TermsNearARoundingBoundaryFallBackToStdSin)
{
    // Arguments whose term is a half-integer up to the last bits: the fast path must refuse
    // them, and the kernel must still give std::sin's rounding.
    for (const double half : {0.5, 1.5, -0.5, 2345.5, -8000.5, 15999.5}) {
        const double step = std::asin(half / kAmplitude16000);
        std::int16_t term = 0;
        EXPECT_FALSE(fastSampleTerm(kAmplitude16000, 1, step, term)) << half;
        std::int16_t sample = 0;
        synthesizeRun(&sample, 1, 1, step, 0, kAmplitude16000);
        EXPECT_EQ(sample, referenceTerm(kAmplitude16000, 1, step)) << half;
    }

    // Real sample indices: every term within half the margin of a boundary goes to the
    // fallback, the rest of the terms are decided by the fast path, and all match.
    int nearBoundary = 0;
    int fallbacks = 0;
    int terms = 0;
    for (const double step : kSteps) {
        if (step == 0)
            continue;
        for (const std::int32_t start : {1, 1 << 20, kLargestBuffer - 40000}) {
            std::vector<std::int16_t> run(40000);
            synthesizeRun(run.data(), start, 40000, step, 0, kAmplitude16000);
            for (std::int32_t i = 0; i < 40000; ++i) {
                const std::int32_t l = start + i;
                const double x = static_cast<double>(l) * step;
                std::int16_t term = 0;
                const bool fast = fastSampleTerm(kAmplitude16000, l, step, term);
                ++terms;
                fallbacks += fast ? 0 : 1;
                if (distanceToHalf(x) < kRoundingMargin / 2) {
                    ++nearBoundary;
                    ASSERT_FALSE(fast) << l << " x " << step;
                }
                if (fast) {
                    ASSERT_EQ(term, referenceTerm(kAmplitude16000, l, step)) << l << " x " << step;
                }
                ASSERT_EQ(run[static_cast<std::size_t>(i)], referenceTerm(kAmplitude16000, l, step))
                    << l << " x " << step;
            }
        }
    }
    EXPECT_GT(nearBoundary, 0);
    EXPECT_LT(fallbacks, terms / 10000); // the fallback stays rare
}

TEST(Synthesis, AmplitudesBeyondTheProvenRangeUseStdSin)
{
    std::int16_t term = 0;
    EXPECT_FALSE(fastSampleTerm(20000, 5, stepOf(697), term));
    EXPECT_FALSE(fastSampleTerm(-16000, 5, stepOf(697), term));
    for (const double amplitude : {20000.0, -16000.0, 0.0, 16384.0}) {
        std::vector<std::int16_t> run(1000);
        synthesizeRun(run.data(), 77, 1000, stepOf(941), stepOf(1209), amplitude);
        for (std::int32_t i = 0; i < 1000; ++i)
            ASSERT_EQ(run[static_cast<std::size_t>(i)],
                      referenceSample(amplitude, 77 + i, stepOf(941), stepOf(1209)))
                << amplitude << " at " << 77 + i;
    }
}

TEST(Synthesis, WindowWritesOnlyTheSamplesOfItsSegments)
{
    const Segment segments[] = {
        {1, 10, stepOf(697), stepOf(1209)}, {11, 20, 0, 0}, {21, 30, stepOf(941), 0}};
    std::vector<std::int16_t> window(40, 777);
    synthesizeWindow(window, 6, segments, kAmplitude16000); // samples 6 to 45
    for (std::int32_t l = 6; l <= 45; ++l) {
        const std::int16_t value = window[static_cast<std::size_t>(l - 6)];
        if (l > 30)
            EXPECT_EQ(value, 777) << l;
        else if (l > 20)
            EXPECT_EQ(value, referenceTerm(kAmplitude16000, l, stepOf(941))) << l;
        else if (l > 10)
            EXPECT_EQ(value, 0) << l;
        else
            EXPECT_EQ(value, referenceSample(kAmplitude16000, l, stepOf(697), stepOf(1209))) << l;
    }
}

} // namespace

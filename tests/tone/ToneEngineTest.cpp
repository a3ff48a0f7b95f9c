#include "CallFraming.h"
#include "DtmfModule.h"
#include "DtmfTable.h"
#include "ReferenceRenderer.h"
#include "Renderer.h"
#include "RepeatTone.h"
#include "Segments.h"
#include "SequenceText.h"
#include "SineKernel.h"
#include "Synthesis.h"
#include "Timings.h"
#include "ToneErrors.h"
#include "ToneLookup.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <random>
#include <string>

TEST(ToneLookup, EveryIndexWithEveryKindOfCharacter)
{
    ToneTable tones = dtmfModule(0, 0, 0).Tones;
    // The sixteen symbols, then lower case and the neighbours of the symbol ranges.
    const std::string characters = "0123456789ABCDEFaf/:@G *#\xe9";
    const int low[26] = {941, 697, 697, 697, 770, 770, 770, 852,
                         852, 852, 697, 770, 852, 941, 941, 941};
    const int high[26] = {1336, 1209, 1336, 1477, 1209, 1336, 1477, 1209,
                          1336, 1477, 1633, 1633, 1633, 1633, 1209, 1477};
    // DTMF2 takes its first tone from row 0 as DTMF1 does; no tone set (-1) still has a second.
    for (int index : {-32768, -1, 0, 1, 2, 99, 100})
        for (int c = 0; c < 26; ++c) {
            const std::string text(1, characters[c]);
            if (c < 16 && (index < 0 || index > 99))
                EXPECT_THROW(FirstToneFreq(tones, index, text), SubscriptOutOfRangeError);
            else
                EXPECT_EQ(FirstToneFreq(tones, index, text), index < 2 ? low[c] : 0) << text;
            EXPECT_EQ(SecondToneFreq(tones, index, text), index < 2 ? high[c] : 0) << text;
        }
    tones[2][12] = 2247;
    EXPECT_EQ(FirstToneFreq(tones, 2, "C"), 2247); // a file set: its own row, no second tone
    EXPECT_EQ(FirstToneFreq(tones, 0, "12"), 697); // only the first character counts
}

TEST(Renderer, CountsRoundHalvesToEvenAndLengthsStayWithinThirtyTwoBits)
{
    // 70 ms is 1543.5000000000002 samples, 150 ms 3307.5 and 250 ms exactly 5512.5.
    const std::pair<double, std::int32_t> table[] = {
        {0, 0}, {1, 22}, {60, 1323}, {70, 1544}, {150, 3308}, {250, 5512}, {1000, 22050}};
    for (const auto& [ms, samples] : table)
        EXPECT_EQ(dtmfModule(ms, 0, 0).ToneSamples, samples) << ms;
    EXPECT_EQ(dtmfModule(97391e3, 0, 0).ToneSamples, 2147471550);
    EXPECT_THROW(dtmfModule(97392e3, 0, 0), OverflowError);
    EXPECT_THROW(dtmfModule(0, -97392e3, 0), OverflowError);
    EXPECT_THROW(dtmfModule(0, 0, std::nan("")), OverflowError);
    modTone m = dtmfModule(70, 0, 0); // and the buffer length, whose 2n bytes must fit as well
    m.ToneSamples = 1 << 30;
    EXPECT_THROW(prepareBuffer(m, "11"), OverflowError);
    m.ToneSamples = INT32_MAX;
    EXPECT_THROW(prepareBuffer(m, "1"), OverflowError); // count + 1
    m.ToneSamples = -1;
    EXPECT_THROW(prepareBuffer(m, "1"), InvalidArgumentError);
    m.ToneSamples = (1 << 30) - 1; // 2^30 samples are 2^31 bytes: beyond the header's length
    EXPECT_THROW(prepareBuffer(m, "1"), OutOfMemoryError);
}

TEST(Renderer, WorkedExampleAndTheLengthOfEverySegment)
{
    modTone m = dtmfModule(70, 60, 300);
    renderSequence(m, "12 3", 0);
    const auto s = m.SampleBuffer.samples(); // sample l is s[l - 1]
    ASSERT_EQ(s.size(), 12575u);
    EXPECT_THAT(s.first(5), testing::ElementsAre(8561, 16362, 22725, 27120, 29219));
    EXPECT_EQ(s[1544], -29199);
    EXPECT_EQ(s[2869], -25766); // the phase runs on from sample 1
    // 697 Hz with 2 pi as the literal 6.28318530717958, multiplied first, then divided.
    EXPECT_EQ(planSegments(m, "12 3", 0, 12575)[0].step1, 0.19861134508408923);
    // Each segment lasts its count + 1 samples; no tone pause beside a blank or after the end.
    const std::pair<const char*, std::int32_t> lengths[] = {
        {"1", 1545},      {"1 ", 1545 + 6616},      {" 1", 6616 + 1545},
        {"  ", 2 * 6616}, {"1 2", 2 * 1545 + 6616}, {"1Ga", 3 * 1545 + 2 * 1324}};
    for (const auto& [text, n] : lengths)
        EXPECT_EQ(prepareBuffer(m, text), n) << text;
}

TEST(RepeatTone, AlternatesRunsCaseSensitivelyAndStopsAtBlanks)
{
    const char* const cases[][2] = {{"1111", "1E1E"}, {"11 11", "1E 1E"}, {"1 1", "1 1"},
                                    {"EE", "EE"},     {"aA", "aA"},       {"aa", "aE"}};
    for (const auto& [text, sent] : cases)
        EXPECT_EQ(applyRepeatTone(text), sent) << text;

    // Typed text narrowed to bytes renders as typed: one byte per character, symbols and
    // blanks kept, and neighbours equal as bytes exactly when equal as characters, so that
    // no two different characters count as a repeat. Random texts over the stand-ins' own
    // bytes, Latin-1 and wider characters, with a fixed seed.
    const std::u32string alphabet = U"1 ?!#\u00e9\u03a9\u03c0\U0001F600";
    std::mt19937 random(11);
    for (int i = 0; i < 2000; ++i) {
        std::u32string typed(random() % 7, U' ');
        for (char32_t& c : typed)
            c = alphabet[random() % alphabet.size()];
        const std::string sent = narrowSequence(typed);
        ASSERT_EQ(sent.size(), typed.size());
        for (std::size_t k = 0; k < typed.size(); ++k) {
            // A Latin-1 character keeps its byte; a wider one is silent.
            const bool wide = typed[k] > 0xFF;
            EXPECT_TRUE(wide ? sent[k] != ' ' && !symbolColumn(sent[k])
                             : sent[k] == static_cast<char>(typed[k]));
            EXPECT_TRUE(k == 0 || (typed[k - 1] == typed[k]) == (sent[k - 1] == sent[k])) << k;
        }
    }
}

// The fast synthesis must give the reference's samples bit for bit.
TEST(Synthesis, RandomSequencesMatchTheReference)
{
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> ms(0, 40);
    const char alphabet[] = "0123456789ABCDEF0123456789ABCDEF      aG?e*#";
    for (int round = 0; round < 3000; ++round) {
        const double tone = rng() % 3 ? ms(rng) : 0, pause = ms(rng) / 3, seqPause = ms(rng) / 2;
        modTone m = dtmfModule(tone, rng() % 3 ? pause : 0, seqPause);
        // A file set over the whole 16-bit range at 2, an empty one at 3.
        std::ranges::generate(m.Tones[2], [&] { return static_cast<std::int16_t>(rng()); });
        m.UseRepeatTone = rng() % 2;
        std::string sequence(1 + rng() % 14, ' ');
        std::ranges::generate(sequence, [&] { return alphabet[rng() % (sizeof alphabet - 1)]; });
        const int set = static_cast<int>(rng() % 4);
        const std::vector<std::int16_t> expected = referenceRender(m, sequence, set);
        renderSequence(m, sequence, set);
        ASSERT_TRUE(std::ranges::equal(m.SampleBuffer.samples(), expected)) << sequence << set;
    }
}

TEST(Synthesis, LargestIndicesMatchTheReferenceAcrossThreads)
{
    // The end of the longest buffer (2^30 - 1 samples), without allocating it, in two chunks
    // of work for two threads: DTMF, the highest and lowest file frequencies, around Nyquist,
    // and no first tone.
    constexpr std::int32_t kFirst = (1 << 30) - 70000;
    const double hertz[] = {697, 32767, -32768, 11025, 11026, -1, 1, 20000, 0, 1633};
    std::vector<Segment> segments;
    for (std::int32_t i = 0, first = kFirst; i < 10; ++i, first += 7000)
        segments.push_back({first, first + 6999, hertz[i] * kTwoPi / 22050, 1477 * kTwoPi / 22050});
    std::vector<std::int16_t> window(70000, 12345);
    synthesizeWindow(window, kFirst, segments, 16000, 2);
    for (const Segment& g : segments)
        for (std::int32_t l = g.first; l <= g.last; ++l)
            ASSERT_EQ(window[l - kFirst], referenceSample(16000, l, g.step1, g.step2)) << l;
}

TEST(Synthesis, TermsNearARoundingBoundaryFallBackToStdSin)
{
    // Steps whose term is a half-integer up to the last bits: the fast path must refuse them,
    // and the kernel must still round as std::sin does.
    for (const double half : {0.5, 1.5, -0.5, 2345.5, -8000.5, 15999.5}) {
        const double step = std::asin(half / 16000);
        std::int16_t term = 0, sample = 0;
        EXPECT_FALSE(fastSampleTerm(16000, 1, step, term)) << half;
        synthesizeRun(&sample, 1, 1, step, 0, 16000);
        EXPECT_EQ(sample, referenceTerm(16000, 1, step)) << half;
    }
}

// Where every run of silence of a framed "12 3" (70 ms tones, 60 ms pauses, 300 ms blanks)
// starts and ends, by sample index from 1, and the length of the whole buffer.
TEST(CallFraming, SilencesStartAndEndOnTheirSamples)
{
    const auto silences = [](std::span<const std::int16_t> s) {
        std::string runs;
        for (std::size_t i = 0, j = 0; i < s.size(); i = std::max(i + 1, j)) {
            for (j = i; j < s.size() && s[j] == 0; ++j) {
            }
            if (j - i >= 20) // a tone holds no such run
                runs += std::to_string(i + 1) + '-' + std::to_string(j) + ' ';
        }
        return runs + '/' + std::to_string(s.size());
    };
    const std::pair<CallFraming, const char*> table[] = {
        {{}, "1546-2869 4415-11030 /12575"}, // the window's: a pause between tones, a blank
        {{.leadInMs = 200, .tailMs = 100}, "1-4410 5956-7279 8825-15440 16986-19190 /19190"},
        {{.firstToneMs = 100}, "2207-3530 5076-11691 /13897"}, // 1 and 3: 2206 samples each
        {{.firstToneMs = 0}, "2-1325 2871-9486 /9487"},
        // 10 ms is 220.5 samples: 220. Twice, 600 ms (13230 samples) apart.
        {{.leadInMs = 10, .calls = 2, .callGapMs = 600},
         "1-220 1766-3089 4635-11250 12796-26025 27571-28894 30440-37055 /38600"},
        {{.tailMs = 250, .firstToneMs = 100, .calls = 3, .levelDb = -6},
         "2207-3530 5076-11691 16104-17427 18973-25588 30001-31324 32870-39485 41692-47203 "
         "/47203"},
    };
    modTone window = dtmfModule(70, 60, 300);
    renderSequence(window, "12 3", 0);
    for (const auto& [framing, runs] : table) {
        modTone m = dtmfModule(70, 60, 300);
        m.Framing = framing;
        renderSequence(m, "12 3", 0);
        EXPECT_EQ(silences(m.SampleBuffer.samples()), runs);
        const FramedLayout layout = planFraming(m, "12 3");
        for (std::int32_t k = 0; k < layout.calls && !framing.firstToneMs; ++k)
            EXPECT_TRUE(
                std::ranges::equal(m.SampleBuffer.samples().subspan(layout.callStart(k) - 1, 12575),
                                   window.SampleBuffer.samples()))
                << runs << ": call " << k; // each call is the window's
    }
}

TEST(CallFraming, FirstToneLevelAndLengthLimit)
{
    // A first tone as long as the others, and 0 dB, change no sample.
    modTone m = dtmfModule(70, 60, 300);
    m.Framing = {.firstToneMs = 70, .levelDb = 0};
    renderSequence(m, "12 3", 0);
    EXPECT_TRUE(std::ranges::equal(m.SampleBuffer.samples(), referenceRender(m, "12 3", 0)));
    // -20 dB is a gain of 0.1: halves go to the even neighbour.
    std::vector<std::int16_t> samples = {5, 15, 25, -5, 8561, -29199, 32767};
    applyLevel(samples, -20);
    EXPECT_THAT(samples, testing::ElementsAre(0, 2, 2, 0, 856, -2920, 3277));
    // Refused before anything is allocated: more than 2^30 - 1 samples, or a gain above 0 dB.
    m.Framing = {.calls = 100000};
    EXPECT_THROW(prepareBuffer(m, "12 3"), OverflowError);
    m.Framing = {.leadInMs = (1073741823.0 - 12575) / 22.05}; // just fits
    EXPECT_EQ(planFraming(m, "12 3").total(), 1073741823);
    m.SampleBuffer.reallocate(1);
    m.Framing.leadInMs += 1 / 22.05;
    EXPECT_THROW(prepareBuffer(m, "12 3"), OverflowError);
    EXPECT_EQ(m.SampleBuffer.size(), 1);              // nothing was allocated
    m.Framing = {.tailMs = 1, .callGapMs = 97391000}; // the gap alone fits 32 bits, with a call not
    EXPECT_THROW(prepareBuffer(m, "12 3"), OverflowError);
    m.Framing = {.levelDb = 0.5};
    EXPECT_THROW(prepareBuffer(m, "12 3"), InvalidArgumentError);
}

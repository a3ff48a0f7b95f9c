#include "SineKernel.h"

#include "Synthesis.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// How the fast path stays exact.
//
// Argument. x = fl(l * step) is formed exactly as the reference forms it (this file is
// built with -ffp-contract=off, so the product is never fused into a later subtraction).
//
// Range reduction (Cody-Waite, pi in two parts). k = nearest integer to fl(x * fl(1/pi)),
// r = (x - k*P1) - k*P2, sin x = (-1)^k sin r. P1 carries 21 significant bits, so for
// |k| < 2^32 (|x| <= kFastArgumentLimit) k*P1 is exact, and x - k*P1 is exact by Sterbenz's
// lemma (k*P1 lies within [x/2, 2x] for k != 0). P2 is pi - P1 rounded: |pi - P1 - P2| <
// 2.2e-23 adds |k| * 2.2e-23 < 1e-13; k*P2 < 2^12 is rounded by at most 2^-41 and the last
// subtraction by 2^-53 * |r|: |r - (x - k*pi)| < 2^-40. A third part would buy accuracy the
// margin below does not need. fl(x * fl(1/pi)) errs by less than 3 * 2^-53 * |x/pi| < 2^-19,
// so k can miss the nearest integer by one only near a half: |r| <= pi/2 + 2^-19 * pi + 2^-40
// < R = 1.5709.
//
// Polynomial. The odd Taylor polynomial of degree 13 with coefficients rounded to double.
// Lagrange's remainder bounds the truncation by R^15 / 15! < 6.695e-10; the rounded
// coefficients add < 2^-53 * sinh(R) < 3e-16, Horner's evaluation in double < 4e-15 (gamma_10
// times the sum of the inner terms' magnitudes, < 0.19, plus the last three operations on
// terms below 2.4), the reduction's error in r < 2^-40 < 9.1e-13 (|sin'| <= 1).
// In all |fastSine(x) - sin(x)| < 6.705e-10 < 6.71e-10 = kFastSineErrorBound.
//
// Rounding. For amplitude A <= 16384, v = fl(A * fastSine(x)) is within
// 16384 * 6.71e-10 + 2^-40 < 1.1e-5 of A sin(x), and the reference fl(A * std::sin(x)) within
// 16384 * 2^-53 + 2^-40 < 3e-12 of it (glibc's sine errs by less than one ulp; the slack
// below would absorb far more). If v lies at least kRoundingMargin = 2^-16 (1.53e-5) from
// every half-integer, both round to the same integer, ties to even included. Otherwise the
// term is recomputed with std::sin; this happens for about 2 * 2^-16 = 0.003% of terms.

namespace
{

constexpr int kLanes = 4;
using Doubles = double __attribute__((vector_size(kLanes * sizeof(double))));
using Integers = std::int64_t __attribute__((vector_size(kLanes * sizeof(std::int64_t))));
using Ints = std::int32_t __attribute__((vector_size(kLanes * sizeof(std::int32_t))));
using Shorts = std::int16_t __attribute__((vector_size(kLanes * sizeof(std::int16_t))));

// Bit casts use the builtin, never std::bit_cast: in a build without inlining, std::bit_cast is
// a real function, shared by the AVX clone and the default build, which return vectors in
// different registers.

// Adding 1.5 * 2^52 rounds any |v| < 2^51 to an integer in the current rounding mode
// (to nearest, halves to even, as std::nearbyint does); the integer sits in the low bits.
constexpr double kRoundMagic = 0x1.8p52;

constexpr double kInvPi = 0x1.45f306dc9c883p-2;
constexpr double kPi1 = 0x1.921fb00000000p+1;
constexpr double kPi2 = 0x1.5110b4611a626p-21;

// (-1)^i / (2i + 1)! for i = 1..6.
constexpr double kS3 = -0x1.5555555555555p-3;
constexpr double kS5 = 0x1.1111111111111p-7;
constexpr double kS7 = -0x1.a01a01a01a01ap-13;
constexpr double kS9 = 0x1.71de3a556c734p-19;
constexpr double kS11 = -0x1.ae64567f544e4p-26;
constexpr double kS13 = 0x1.6124613a86d09p-33;

constexpr double kSureDistance = 0.5 - kRoundingMargin;
constexpr std::int64_t kNoSign = 0x7fffffffffffffff;

[[gnu::always_inline]] inline Doubles sineOf(Doubles x)
{
    const Doubles shifted = x * kInvPi + kRoundMagic;
    const Doubles k = shifted - kRoundMagic;
    const Integers oddSign = __builtin_bit_cast(Integers, shifted) << 63;
    const Doubles r = (x - k * kPi1) - k * kPi2;
    const Doubles z = r * r;
    const Doubles p = r + r * z * (kS3 + z * (kS5 + z * (kS7 + z * (kS9 + z * (kS11 + z * kS13)))));
    return __builtin_bit_cast(Doubles, __builtin_bit_cast(Integers, p) ^ oddSign);
}

struct Terms {
    Doubles value;   // the rounded term (an integer), where it is sure
    Integers unsure; // all ones where the term lies too close to a rounding boundary
};

[[gnu::always_inline]] inline Terms termsOf(Doubles x, double amplitude)
{
    const Doubles v = amplitude * sineOf(x);
    const Doubles rounded = (v + kRoundMagic) - kRoundMagic;
    const Doubles distance =
        __builtin_bit_cast(Doubles, __builtin_bit_cast(Integers, v - rounded) & kNoSign);
    const Integers sure = distance <= kSureDistance; // false for a NaN
    return {rounded, ~sure};
}

[[gnu::always_inline]] inline Doubles broadcast(double value)
{
    Doubles result;
    for (int i = 0; i < kLanes; ++i)
        result[i] = value;
    return result;
}

[[gnu::always_inline]] inline bool anyLane(Integers mask)
{
    mask |= __builtin_shufflevector(mask, mask, 2, 3, 0, 1);
    mask |= __builtin_shufflevector(mask, mask, 1, 0, 3, 2);
    return mask[0] != 0;
}

// Both terms are integers within +-16384, so their sum is exact; it wraps to 16 bits as
// sampleValue's does.
[[gnu::always_inline]] inline Shorts toSamples(Doubles sum)
{
    return __builtin_convertvector(__builtin_convertvector(sum, Ints), Shorts);
}

// The reference for the samples of one block that the fast sine could not decide (bit i of
// lanes set for sample first + i). It takes no vector: it is built for the default target
// while its callers may be AVX clones, which pass vectors differently.
[[gnu::noinline, gnu::cold]] void settleUnsure(std::int16_t* out, std::int32_t first,
                                               unsigned lanes, double step1, double step2,
                                               double amplitude)
{
    for (int i = 0; i < kLanes; ++i) {
        if (lanes & (1u << i))
            out[i] = sampleValue(amplitude, first + i, step1, step2);
    }
}

[[gnu::always_inline]] inline unsigned laneBits(Integers mask, int lanes)
{
    unsigned bits = 0;
    for (int i = 0; i < lanes; ++i)
        bits |= mask[i] ? 1u << i : 0u;
    return bits;
}

template <bool TwoTerms>
[[gnu::always_inline]] inline Shorts blockOf(Doubles l, double step1, double step2,
                                             double amplitude, Integers& unsure)
{
    const Terms term1 = termsOf(l * step1, amplitude);
    Doubles sum = term1.value;
    unsure = term1.unsure;
    if constexpr (TwoTerms) {
        const Terms term2 = termsOf(l * step2, amplitude);
        sum += term2.value;
        unsure |= term2.unsure;
    }
    return toSamples(sum);
}

template <bool TwoTerms>
[[gnu::always_inline]] inline void fastBlocks(std::int16_t* out, std::int32_t first,
                                              std::int32_t count, double step1, double step2,
                                              double amplitude)
{
    Doubles l;
    for (int i = 0; i < kLanes; ++i)
        l[i] = static_cast<double>(first) + i;
    std::int32_t done = 0;
    Integers unsure;
    for (; done + kLanes <= count; done += kLanes) {
        const Shorts samples = blockOf<TwoTerms>(l, step1, step2, amplitude, unsure);
        std::memcpy(out + done, &samples, sizeof samples);
        if (anyLane(unsure)) [[unlikely]]
            settleUnsure(out + done, first + done, laneBits(unsure, kLanes), step1, step2,
                         amplitude);
        l += static_cast<double>(kLanes); // indices below 2^31 stay exact
    }
    if (done < count) {
        const int lanes = static_cast<int>(count - done);
        const Shorts samples = blockOf<TwoTerms>(l, step1, step2, amplitude, unsure);
        std::memcpy(out + done, &samples, static_cast<std::size_t>(lanes) * sizeof(std::int16_t));
        if (anyLane(unsure))
            settleUnsure(out + done, first + done, laneBits(unsure, lanes), step1, step2,
                         amplitude);
    }
}

// One build per instruction set; the loader picks the best the processor has. That takes an
// ELF loader (ifunc); a Windows build has the default one, which gives the same samples.
#if defined(__ELF__)
#define QUORVEL_CPU_CLONES [[gnu::target_clones("avx2", "default")]]
#else
#define QUORVEL_CPU_CLONES
#endif
QUORVEL_CPU_CLONES void fastRun(std::int16_t* out, std::int32_t first, std::int32_t count,
                                double step1, double step2, double amplitude)
{
    if (step2 == 0)
        fastBlocks<false>(out, first, count, step1, 0.0, amplitude);
    else
        fastBlocks<true>(out, first, count, step1, step2, amplitude);
}

bool fastPathHolds(double amplitude, double largestIndex, double step)
{
    return amplitude > 0 && amplitude <= kFastAmplitudeLimit && std::isfinite(step) &&
           std::fabs(step) * largestIndex <= kFastArgumentLimit;
}

} // namespace

double fastSine(double x)
{
    return sineOf(broadcast(x))[0];
}

bool fastSampleTerm(double amplitude, std::int32_t l, double step, std::int16_t& term)
{
    if (!fastPathHolds(amplitude, std::fabs(static_cast<double>(l)), step))
        return false;
    const Terms terms = termsOf(broadcast(static_cast<double>(l) * step), amplitude);
    if (terms.unsure[0])
        return false;
    term = toSamples(terms.value)[0];
    return true;
}

void synthesizeRun(std::int16_t* out, std::int32_t first, std::int32_t count, double step1,
                   double step2, double amplitude)
{
    if (count <= 0)
        return;
    const std::int32_t last = first + (count - 1);
    const double largestIndex =
        std::max(std::fabs(static_cast<double>(first)), std::fabs(static_cast<double>(last)));
    // A step of 0 gives sin 0 = 0 for every index: that term is 0 and is left out.
    if (step1 == 0)
        std::swap(step1, step2);
    const bool fast = fastPathHolds(amplitude, largestIndex, step1) &&
                      fastPathHolds(amplitude, largestIndex, step2);
    if (fast && step1 == 0) {
        std::fill_n(out, count, std::int16_t{0});
    } else if (fast) {
        fastRun(out, first, count, step1, step2, amplitude);
    } else {
        for (std::int32_t i = 0; i < count; ++i)
            out[i] = sampleValue(amplitude, first + i, step1, step2);
    }
}

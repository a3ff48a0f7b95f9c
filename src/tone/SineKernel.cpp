#include "SineKernel.h"

#include "Synthesis.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

// How the fast path stays exact.
//
// Argument. x = fl(l * step) is formed exactly as the reference forms it (this file is
// built with -ffp-contract=off, so the product is never fused into a later subtraction).
//
// Range reduction (Cody-Waite, three-part pi). k = nearest integer to fl(x * fl(1/pi)),
// r = ((x - k*P1) - k*P2) - k*P3, sin x = (-1)^k sin r. P1 and P2 carry 21 significant
// bits each, so for |k| < 2^32 (|x| <= kFastArgumentLimit) k*P1 and k*P2 are exact;
// x - k*P1 is exact by Sterbenz's lemma (k*P1 lies within [x/2, 2x] for k != 0). The two
// remaining subtractions and k*P3 add at most 2^-53 * (|r| + 2^-10) each, and
// |pi - P1 - P2 - P3| < 2^-102 adds |k| * 2^-102 < 2^-70: |r - (x - k*pi)| < 2^-51.
// fl(x * fl(1/pi)) errs by less than 3 * 2^-53 * |x/pi| < 2^-19, so k can miss the
// nearest integer by one only near a half, and |r| <= pi/2 + 2^-19 * pi < R = 1.5709.
//
// Polynomial. The odd Taylor polynomial of degree 13 with coefficients rounded to double.
// Lagrange's remainder bounds the truncation by R^15 / 15! < 6.695e-10; the rounded
// coefficients add < 2^-53 * sinh(R) < 3e-16, Horner's evaluation in double < 4e-15 (gamma_10
// times the sum of the inner terms' magnitudes, < 0.19, plus the last three operations on
// terms below 2.4), the reduction's error in r < 2^-51 (|sin'| <= 1).
// In all |fastSine(x) - sin(x)| < 6.71e-10 = kFastSineErrorBound.
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
using Shorts = std::int16_t __attribute__((vector_size(kLanes * sizeof(std::int16_t))));

// Adding 1.5 * 2^52 rounds any |v| < 2^51 to an integer in the current rounding mode
// (to nearest, halves to even, as std::nearbyint does); the integer sits in the low bits.
constexpr double kRoundMagic = 0x1.8p52;
constexpr std::int64_t kRoundMagicBits = std::bit_cast<std::int64_t>(kRoundMagic);

constexpr double kInvPi = 0x1.45f306dc9c883p-2;
constexpr double kPi1 = 0x1.921fb00000000p+1;
constexpr double kPi2 = 0x1.5110b00000000p-21;
constexpr double kPi3 = 0x1.18469898cc517p-43;

// (-1)^i / (2i + 1)! for i = 1..6.
constexpr double kS3 = -0x1.5555555555555p-3;
constexpr double kS5 = 0x1.1111111111111p-7;
constexpr double kS7 = -0x1.a01a01a01a01ap-13;
constexpr double kS9 = 0x1.71de3a556c734p-19;
constexpr double kS11 = -0x1.ae64567f544e4p-26;
constexpr double kS13 = 0x1.6124613a86d09p-33;

constexpr double kSureDistance = 0.5 - kRoundingMargin;

[[gnu::always_inline]] inline Doubles sineOf(Doubles x)
{
    const Doubles shifted = x * kInvPi + kRoundMagic;
    const Doubles k = shifted - kRoundMagic;
    const Integers oddSign = std::bit_cast<Integers>(shifted) << 63;
    const Doubles r = ((x - k * kPi1) - k * kPi2) - k * kPi3;
    const Doubles z = r * r;
    const Doubles p = r + r * z * (kS3 + z * (kS5 + z * (kS7 + z * (kS9 + z * (kS11 + z * kS13)))));
    return std::bit_cast<Doubles>(std::bit_cast<Integers>(p) ^ oddSign);
}

struct Terms {
    Integers value;  // the rounded term, where it is sure
    Integers unsure; // all ones where the term lies too close to a rounding boundary
};

[[gnu::always_inline]] inline Terms termsOf(Doubles x, double amplitude)
{
    const Doubles v = amplitude * sineOf(x);
    const Doubles shifted = v + kRoundMagic;
    const Doubles distance = v - (shifted - kRoundMagic);
    // Written so that a NaN counts as unsure.
    const Integers sure = (distance <= kSureDistance) & (distance >= -kSureDistance);
    return {std::bit_cast<Integers>(shifted) - kRoundMagicBits, ~sure};
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
    std::int64_t any = 0;
    for (int i = 0; i < kLanes; ++i)
        any |= mask[i];
    return any != 0;
}

// The reference for the samples of one block that the fast sine could not decide.
[[gnu::noinline, gnu::cold]] void settleUnsure(std::int16_t* out, std::int32_t first, int lanes,
                                               Integers unsure, double step1, double step2,
                                               double amplitude)
{
    for (int i = 0; i < lanes; ++i) {
        if (unsure[i])
            out[i] = sampleValue(amplitude, first + i, step1, step2);
    }
}

template <bool TwoTerms>
[[gnu::always_inline]] inline void fastBlocks(std::int16_t* out, std::int32_t first,
                                              std::int32_t count, double step1, double step2,
                                              double amplitude)
{
    Doubles l;
    for (int i = 0; i < kLanes; ++i)
        l[i] = static_cast<double>(first) + i;
    for (std::int32_t done = 0; done < count; done += kLanes) {
        const Terms term1 = termsOf(l * step1, amplitude);
        Integers sum = term1.value;
        Integers unsure = term1.unsure;
        if constexpr (TwoTerms) {
            const Terms term2 = termsOf(l * step2, amplitude);
            sum += term2.value;
            unsure |= term2.unsure;
        }
        // Each term fits 16 bits; the sum wraps to 16 bits as sampleValue's does.
        const Shorts samples = __builtin_convertvector(sum, Shorts);
        const int lanes = static_cast<int>(std::min<std::int32_t>(kLanes, count - done));
        std::memcpy(out + done, &samples, static_cast<std::size_t>(lanes) * sizeof(std::int16_t));
        if (anyLane(unsure)) [[unlikely]]
            settleUnsure(out + done, first + done, lanes, unsure, step1, TwoTerms ? step2 : 0.0,
                         amplitude);
        l += static_cast<double>(kLanes); // indices below 2^31 stay exact
    }
}

// One build per instruction set; the loader picks the best the processor has.
[[gnu::target_clones("avx2", "default")]] void fastRun(std::int16_t* out, std::int32_t first,
                                                       std::int32_t count, double step1,
                                                       double step2, double amplitude)
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
    term = static_cast<std::int16_t>(terms.value[0]);
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

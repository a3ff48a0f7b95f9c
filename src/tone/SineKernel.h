#pragma once

#include <cstdint>

// The fast path of the synthesis. Every sample it writes is the one sampleValue gives,
// bit for bit: a fast sine decides each term when the term lies clearly away from a
// rounding boundary, and std::sin (sampleTerm) decides the rare terms that do not.
// Each sample still depends only on its index and the two steps.

// Largest amplitude the fast path is proven for; above it every term takes std::sin.
inline constexpr double kFastAmplitudeLimit = 16384;

// Largest |l * step| the range reduction is exact for (|k| < 2^32 multiples of pi).
// The longest buffer (2^30 - 1 samples) at the highest frequency (32767 Hz, a step of
// 9.337) reaches 1.003e10.
inline constexpr double kFastArgumentLimit = 1.3e10;

// Bound of |fastSine(x) - sin(x)| for |x| <= kFastArgumentLimit; derived in SineKernel.cpp.
inline constexpr double kFastSineErrorBound = 6.71e-10;

// A term is rounded directly only when amplitude * fastSine lies at least this far from
// the nearest half-integer (2^-16 > 16384 * kFastSineErrorBound + the reference's own
// rounding errors).
inline constexpr double kRoundingMargin = 1.0 / 65536;

// The fast sine alone, for measuring its error against std::sin.
double fastSine(double x);

// The term sampleTerm(amplitude, l, step) computes, through the fast path. Returns false
// when the fast path cannot decide it (within kRoundingMargin of a boundary, or outside
// the ranges above); term is then left unchanged and the caller takes sampleTerm.
bool fastSampleTerm(double amplitude, std::int32_t l, double step, std::int16_t& term);

// out[i] = sampleValue(amplitude, first + i, step1, step2) for 0 <= i < count, where
// first + count - 1 must not exceed INT32_MAX.
void synthesizeRun(std::int16_t* out, std::int32_t first, std::int32_t count, double step1,
                   double step2, double amplitude);

#include "SequenceCounts.h"

#include "ToneErrors.h"
#include "modTone.h"

#include <limits>
#include <string>

namespace
{

[[noreturn]] void lengthOverflow()
{
    throw OverflowError("Overflow: the sequence would need more than 2147483647 samples. "
                        "Shorten the sequence or the durations.");
}

std::int32_t checkedAdd(std::int32_t a, std::int32_t b)
{
    std::int32_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        lengthOverflow();
    return sum;
}

std::int32_t checkedMul(std::int32_t a, std::int32_t b)
{
    std::int32_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        lengthOverflow();
    return product;
}

std::int32_t countCheck(std::size_t count)
{
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw OverflowError("Overflow: the sequence text is too long.");
    return static_cast<std::int32_t>(count);
}

} // namespace

SequenceCounts countSegments(std::string_view sequence)
{
    std::size_t tones = 0;
    std::size_t blanks = 0;
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (sequence[i] == ' ') {
            ++blanks;
            continue;
        }
        ++tones;
        // The last character never starts a pair.
        if (i + 1 < sequence.size() && sequence[i + 1] != ' ')
            ++pairs;
    }
    return {countCheck(tones), countCheck(blanks), countCheck(pairs)};
}

std::int32_t bufferLength(const modTone& m, const SequenceCounts& counts)
{
    if (m.ToneSamples < 0 || m.TonePauseSamples < 0 || m.SequencePauseSamples < 0)
        throw InvalidArgumentError("Durations must not be negative.");
    const std::int32_t tone = checkedMul(checkedAdd(m.ToneSamples, 1), counts.tones);
    const std::int32_t seq = checkedMul(checkedAdd(m.SequencePauseSamples, 1), counts.blanks);
    const std::int32_t pause = checkedMul(checkedAdd(m.TonePauseSamples, 1), counts.pairs);
    return checkedAdd(checkedAdd(tone, seq), pause);
}

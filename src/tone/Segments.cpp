#include "Segments.h"

#include "ToneErrors.h"
#include "ToneLookup.h"
#include "modTone.h"

#include <algorithm>

std::vector<Segment> planSegments(const modTone& m, std::string_view sequence, int toneSetIndex,
                                  std::int32_t n, std::optional<std::int32_t> firstToneSamples)
{
    std::vector<Segment> segments;
    std::size_t j = 0; // next character to consume
    bool afterTone = false;
    std::int64_t l = 1;
    while (l <= n) {
        if (j >= sequence.size())
            throw ToneError("Internal error: the sequence ended before its samples did.");
        const std::string_view character = sequence.substr(j, 1);
        if (character == " ")
            afterTone = false;
        Segment segment;
        segment.first = static_cast<std::int32_t>(l);
        // Multiplied first, then divided, as the step is defined.
        segment.step1 = FirstToneFreq(m.Tones, toneSetIndex, character) * kTwoPi / m.SampleRate;
        segment.step2 = SecondToneFreq(m.Tones, toneSetIndex, character) * kTwoPi / m.SampleRate;
        if (!afterTone)
            ++j;
        std::int64_t last = 0;
        if (sequence[j - 1] == ' ') {
            last = l + m.SequencePauseSamples;
        } else if (afterTone) {
            // The character at j was looked up but not consumed: it starts the next segment.
            last = l + m.TonePauseSamples;
            afterTone = false;
            segment.step1 = 0;
            segment.step2 = 0;
        } else {
            const bool firstOfSequence = j == 1 || sequence[j - 2] == ' ';
            last = l + (firstToneSamples && firstOfSequence ? *firstToneSamples : m.ToneSamples);
            afterTone = true;
        }
        segment.last = static_cast<std::int32_t>(std::min<std::int64_t>(last, n));
        segments.push_back(segment);
        l = static_cast<std::int64_t>(segment.last) + 1;
    }
    return segments;
}

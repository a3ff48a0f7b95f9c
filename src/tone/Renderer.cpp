#include "Renderer.h"

#include "CallFraming.h"
#include "RepeatTone.h"
#include "Synthesis.h"
#include "modTone.h"

#include <algorithm>

std::int32_t samplesNeeded(const modTone& m, std::string_view sequence)
{
    return m.Framing.isOff() ? bufferLength(m, countSegments(sequence))
                             : static_cast<std::int32_t>(planFraming(m, sequence).total());
}

std::int32_t prepareBuffer(modTone& m, std::string_view sequence)
{
    const std::int32_t n = samplesNeeded(m, sequence);
    m.SampleBuffer.reallocate(n);
    return n;
}

void renderSamples(modTone& m, std::string sequence, int toneSetIndex)
{
    if (m.UseRepeatTone)
        sequence = applyRepeatTone(std::move(sequence));
    if (m.Framing.isOff()) {
        const auto segments = planSegments(m, sequence, toneSetIndex, m.SampleBuffer.size());
        synthesizeSegments(m.SampleBuffer.samples(), segments, m.Amplitude);
        return;
    }
    // The first call is rendered in place, counting its samples from its own start; the
    // others are copies of it. The silences stay as the allocation left them: zero.
    const FramedLayout layout = planFraming(m, sequence);
    // planFraming has checked that the whole buffer, and so one call, fits 32 bits.
    const auto segments =
        planSegments(m, sequence, toneSetIndex, static_cast<std::int32_t>(layout.callLength),
                     layout.firstToneSamples);
    const auto all = m.SampleBuffer.samples();
    const auto call = all.subspan(static_cast<std::size_t>(layout.callStart(0) - 1),
                                  static_cast<std::size_t>(layout.callLength));
    synthesizeWindow(call, 1, segments, m.Amplitude);
    applyLevel(call, m.Framing.levelDb);
    for (std::int32_t k = 1; k < layout.calls; ++k)
        std::ranges::copy(call, all.begin() + (layout.callStart(k) - 1));
}

void renderSequence(modTone& m, const std::string& sequence, int toneSetIndex)
{
    prepareBuffer(m, sequence);
    renderSamples(m, sequence, toneSetIndex);
}

#include "Renderer.h"

#include "RepeatTone.h"
#include "Synthesis.h"
#include "modTone.h"

std::int32_t prepareBuffer(modTone& m, std::string_view sequence)
{
    const std::int32_t n = bufferLength(m, countSegments(sequence));
    m.SampleBuffer.reallocate(n);
    return n;
}

void renderSamples(modTone& m, std::string sequence, int toneSetIndex)
{
    if (m.UseRepeatTone)
        sequence = applyRepeatTone(std::move(sequence));
    const auto segments = planSegments(m, sequence, toneSetIndex, m.SampleBuffer.size());
    synthesizeSegments(m.SampleBuffer.samples(), segments, m.Amplitude);
}

void renderSequence(modTone& m, const std::string& sequence, int toneSetIndex)
{
    prepareBuffer(m, sequence);
    renderSamples(m, sequence, toneSetIndex);
}

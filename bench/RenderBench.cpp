#include "DtmfTable.h"
#include "Renderer.h"
#include "Timings.h"
#include "modTone.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A long DTMF send: 64 symbols of 1 s each with 100 ms pauses, about 1.5 million samples.
void BM_RenderLongDtmf(benchmark::State& state)
{
    modTone m;
    LoadDtmfTable(m.Tones);
    m.ToneDuration = 1.0;
    m.TonePause = 0.1;
    m.SequencePause = 0.3;
    ComputeTimings(m);
    std::string sequence;
    for (int i = 0; i < 64; ++i)
        sequence += "0123456789ABCDEF"[i % 16];
    for (auto _ : state) {
        renderSequence(m, sequence, 0);
        benchmark::DoNotOptimize(m.SampleBuffer.data());
    }
    state.SetItemsProcessed(state.iterations() * m.SampleBuffer.size());
}
BENCHMARK(BM_RenderLongDtmf)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

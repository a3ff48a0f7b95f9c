#include "DtmfModule.h"
#include "LongSend.h"
#include "ReferenceRenderer.h"
#include "Renderer.h"
#include "Timings.h"
#include "modTone.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

// Renders the long send with the renderer and with the sample-by-sample reference in the
// same run, and a typical send, then prints the figures against their targets:
// a speed-up of at least 6 and a typical send under 1 ms.

namespace
{

modTone longSendModule()
{
    return dtmfModule(kLongSendToneMs, kLongSendPauseMs, kLongSendSequencePauseMs);
}

void BM_LongSend(benchmark::State& state)
{
    modTone m = longSendModule();
    const std::string sequence = longSendSequence();
    for (auto _ : state) {
        renderSequence(m, sequence, 0);
        benchmark::DoNotOptimize(m.SampleBuffer.data());
        benchmark::ClobberMemory();
    }
    state.counters["samples"] = m.SampleBuffer.size();
    state.SetItemsProcessed(state.iterations() * m.SampleBuffer.size());
}
BENCHMARK(BM_LongSend)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_LongSendReference(benchmark::State& state)
{
    const modTone m = longSendModule();
    const std::string sequence = longSendSequence();
    std::size_t samples = 0;
    for (auto _ : state) {
        const auto rendered = referenceRender(m, sequence, 0);
        benchmark::DoNotOptimize(rendered.data());
        samples = rendered.size();
    }
    state.counters["samples"] = static_cast<double>(samples);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples));
}
BENCHMARK(BM_LongSendReference)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_TypicalSend(benchmark::State& state)
{
    modTone m = dtmfModule(kTypicalSendToneMs, kTypicalSendPauseMs, kTypicalSendSequencePauseMs);
    for (auto _ : state) {
        renderSequence(m, kTypicalSendSequence, 0);
        benchmark::DoNotOptimize(m.SampleBuffer.data());
        benchmark::ClobberMemory();
    }
    state.counters["samples"] = m.SampleBuffer.size();
}
BENCHMARK(BM_TypicalSend)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Remembers the mean real time of every benchmark, in seconds, besides printing as usual.
class RecordingReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_seconds[run.run_name.function_name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }

    double seconds(const std::string& name) const
    {
        const auto found = m_seconds.find(name);
        return found == m_seconds.end() ? 0 : found->second;
    }

private:
    std::map<std::string, double> m_seconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double fast = reporter.seconds("BM_LongSend");
    const double reference = reporter.seconds("BM_LongSendReference");
    const double typical = reporter.seconds("BM_TypicalSend");
    if (fast > 0 && reference > 0)
        std::printf("Long send: %.0f ms, reference %.0f ms, speed-up %.1fx (target >= 6x): %s\n",
                    fast * 1e3, reference * 1e3, reference / fast,
                    reference / fast >= 6 ? "met" : "NOT met");
    if (typical > 0)
        std::printf("Typical send: %.3f ms (target < 1 ms): %s\n", typical * 1e3,
                    typical < 1e-3 ? "met" : "NOT met");
    return 0;
}

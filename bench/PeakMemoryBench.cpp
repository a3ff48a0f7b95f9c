#include "LongSend.h"
#include "SequenceCounts.h"
#include "Timings.h"
#include "modTone.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Peak resident memory of quorvel-render rendering the long send to /dev/null, measured in
// a child process, against the target of 2 bytes per sample plus 48 MiB.

namespace
{

constexpr double kMiB = 1024.0 * 1024.0;

// The count the renderer sizes the buffer with.
std::int64_t longSendSamples(const std::string& sequence)
{
    modTone m;
    m.ToneDuration = kLongSendToneMs / 1000;
    m.TonePause = kLongSendPauseMs / 1000;
    m.SequencePause = kLongSendSequencePauseMs / 1000;
    ComputeTimings(m);
    return bufferLength(m, countSegments(sequence));
}

// Runs the command line and returns the child's peak resident set in bytes, -1 on failure.
long long peakResidentBytes(const std::string& sequence)
{
    const std::string tone = std::to_string(kLongSendToneMs);
    const std::string pause = std::to_string(kLongSendPauseMs);
    const std::string sequencePause = std::to_string(kLongSendSequencePauseMs);
    std::vector<const char*> argv = {QUORVEL_RENDER_PATH,   "-i",   "0",           "-t",
                                     tone.c_str(),          "-p",   pause.c_str(), "-q",
                                     sequencePause.c_str(), "-o",   "/dev/null",   "--",
                                     sequence.c_str(),      nullptr};
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<long long>(usage.ru_maxrss) * 1024; // ru_maxrss is in KiB on Linux
}

void BM_PeakMemoryLongSend(benchmark::State& state)
{
    const std::string sequence = longSendSequence();
    long long peak = 0;
    for (auto _ : state) {
        peak = peakResidentBytes(sequence);
        if (peak < 0) {
            state.SkipWithError("quorvel-render failed");
            return;
        }
    }
    const double samples = static_cast<double>(longSendSamples(sequence));
    const double limit = 2 * samples + 48 * kMiB;
    state.counters["samples"] = samples;
    state.counters["peak_MiB"] = static_cast<double>(peak) / kMiB;
    state.counters["limit_MiB"] = limit / kMiB;
    state.counters["margin_MiB"] = (limit - static_cast<double>(peak)) / kMiB;
    state.counters["overhead_MiB"] = (static_cast<double>(peak) - 2 * samples) / kMiB;
    std::printf("Peak memory: %.1f MiB for %.0f samples (buffer %.1f MiB); target <= %.1f MiB "
                "(2 bytes per sample + 48 MiB), margin %.1f MiB: %s\n",
                static_cast<double>(peak) / kMiB, samples, 2 * samples / kMiB, limit / kMiB,
                (limit - static_cast<double>(peak)) / kMiB,
                static_cast<double>(peak) <= limit ? "met" : "NOT met");
}
BENCHMARK(BM_PeakMemoryLongSend)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

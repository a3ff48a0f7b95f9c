// CPU cost of the playback cycle's wait, in share of one core over the play.
//
// BM_WaitForTimedDevice: the cycle with the Qt event pump and a device whose end comes
// from a timer after 5 s, as a device thread would set it: the wait alone.
// BM_PlayOnDefaultOutput: a real 5 s play on the default audio output (run it against a
// private null sink: see tests/acceptance/private-pulse.sh); skipped without PULSE_SERVER.
// Both count the whole process's user + system time, the sound server's client threads
// included.

#include "DtmfTable.h"
#include "PlaybackCycle.h"
#include "PulseWaveOut.h"
#include "QtEventPump.h"
#include "StderrMessages.h"
#include "TickCounter.h"
#include "Timings.h"
#include "modTone.h"

#include <QCoreApplication>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <sys/resource.h>

namespace
{

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Plays nothing; its buffer is done a set time after the write.
class TimedWaveOut : public WaveOut
{
public:
    explicit TimedWaveOut(int playMs) : m_playMs(playMs) {}
    std::uint32_t inputDeviceCount() override { return 1; }
    std::uint32_t outputDeviceCount() override { return 1; }
    std::int32_t open(WaveHandle& handle, const WaveFormat&) override
    {
        handle = 1;
        return 0;
    }
    std::int32_t prepareHeader(WaveHandle, WaveHeader&) override { return 0; }
    std::int32_t write(WaveHandle, WaveHeader& header) override
    {
        QTimer::singleShot(m_playMs, Qt::PreciseTimer, [this, &header] {
            header.dwFlags.fetch_or(WHDR_DONE);
            wakeUp();
        });
        return 0;
    }
    std::int32_t unprepareHeader(WaveHandle, WaveHeader&) override { return 0; }
    std::int32_t close(WaveHandle) override { return 0; }
    std::int32_t reset(WaveHandle) override { return 0; }
    std::int32_t deviceError(WaveHandle) override { return 0; }

private:
    int m_playMs;
};

void runCycles(benchmark::State& state, WaveOut& device)
{
    modTone m;
    LoadDtmfTable(m.Tones);
    m.ToneDuration = 5.0;
    ComputeTimings(m);
    SteadyTickCounter ticks;
    StderrMessages messages;
    QtEventPump events;
    PlaybackCycle cycle(m, device, ticks, messages, events);
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpuStart = processCpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        cycle.SuonaSequenza("1");
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        cpu += processCpuSeconds() - cpuStart;
        if (cycle.lastResult() != PlaybackCycle::Result::Played) {
            state.SkipWithError("the play failed");
            return;
        }
        state.counters["ElapsedMs"] = m.ElapsedMs;
    }
    state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
}

void BM_WaitForTimedDevice(benchmark::State& state)
{
    TimedWaveOut device(5000);
    runCycles(state, device);
}
BENCHMARK(BM_WaitForTimedDevice)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_PlayOnDefaultOutput(benchmark::State& state)
{
    if (!std::getenv("PULSE_SERVER")) {
        state.SkipWithError("PULSE_SERVER is not set: start a private server first");
        return;
    }
    PulseWaveOut device;
    runCycles(state, device);
}
BENCHMARK(BM_PlayOnDefaultOutput)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

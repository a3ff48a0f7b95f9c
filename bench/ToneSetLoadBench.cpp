#include "ToneSetFile.h"
#include "ToneSetSelector.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// Loads 10 MB tone-set files as the window does at start-up, message text included, and
// prints the slowest against its target: a 10 MB file loads, and its message is ready, in
// well under a second (target < 0.5 s). Each file stresses one path of the reader.

namespace
{

constexpr std::size_t kFileBytes = 10 << 20;

class ListSelector : public ToneSetSelector
{
public:
    int entryCount() const override { return m_count; }
    void appendEntry(const std::string&) override { ++m_count; }
    void setItemData(int, std::int32_t) override {}

private:
    int m_count = 2;
};

std::string repeated(const std::string& unit)
{
    std::string bytes;
    bytes.reserve(kFileBytes + unit.size());
    while (bytes.size() < kFileBytes)
        bytes += unit;
    return bytes;
}

// Complete sets, all but 98 of them beyond the table; a broken set on every line; one
// problem every two bytes; a quote opened at the top and never closed.
std::string fileBytes(int kind)
{
    const std::string set = ">ZVEI1,70\r\n2400,1060,1160,1270,1400,1530,1670,1830,2000,2200,"
                            "2800,810,970,886,2600,0\r\n";
    switch (kind) {
    case 0:
        return repeated(set);
    case 1:
        return repeated(">Broken,70,1,2,x\r\n");
    case 2:
        return repeated(">,");
    default:
        return "\"Note: the quote is never closed\r\n" + repeated(set);
    }
}

const char* const kKinds[] = {"sets", "broken sets", ">, problems", "runaway quote"};

double g_slowest = 0;

void BM_LoadTenMegabytes(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    const auto path = std::filesystem::temp_directory_path() /
                      ("quorvel-bench-" + std::to_string(::getpid()) + ".ini");
    std::ofstream(path, std::ios::binary) << fileBytes(kind);
    std::size_t problems = 0;
    for (auto _ : state) {
        ToneTable tones{};
        ListSelector selector;
        const ToneSetLoadResult result = LoadToneSets(tones, selector, path);
        const std::string message = result.message();
        benchmark::DoNotOptimize(message.data());
        problems = result.problems.count();
    }
    std::filesystem::remove(path);
    state.SetLabel(kKinds[kind]);
    state.counters["problems"] = static_cast<double>(problems);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFileBytes));
}
BENCHMARK(BM_LoadTenMegabytes)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

class SlowestReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                g_slowest = std::max(g_slowest, run.real_accumulated_time /
                                                    static_cast<double>(run.iterations));
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    SlowestReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (g_slowest > 0)
        std::printf("Slowest 10 MB tone-set file: %.0f ms (target < 500 ms): %s\n", g_slowest * 1e3,
                    g_slowest < 0.5 ? "met" : "NOT met");
    return 0;
}

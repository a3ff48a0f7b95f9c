#include "Synthesis.h"

#include "SineKernel.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace
{

// Work is handed out in chunks of this many samples (128 KiB), small enough to balance
// tones against cheap silences, large enough to keep the hand-out negligible.
constexpr std::int64_t kChunkSamples = 1 << 16;

// Below this many samples starting threads costs more than it saves.
constexpr std::int64_t kParallelSamples = 1 << 18;

class WindowJob
{
public:
    WindowJob(std::span<std::int16_t> window, std::int32_t firstIndex,
              std::span<const Segment> segments, double amplitude)
        : m_window(window), m_firstIndex(firstIndex), m_segments(segments), m_amplitude(amplitude),
          m_chunks((static_cast<std::int64_t>(window.size()) + kChunkSamples - 1) / kChunkSamples)
    {
    }

    std::int64_t chunks() const { return m_chunks; }

    // Renders chunks until none is left; every thread of the job runs this.
    void work()
    {
        for (;;) {
            const std::int64_t chunk = m_next.fetch_add(1, std::memory_order_relaxed);
            if (chunk >= m_chunks)
                return;
            renderChunk(chunk);
        }
    }

private:
    void renderChunk(std::int64_t chunk)
    {
        const std::int64_t size = static_cast<std::int64_t>(m_window.size());
        const std::int64_t begin = chunk * kChunkSamples;
        const std::int64_t first = m_firstIndex + begin;
        const std::int64_t last = m_firstIndex + std::min(begin + kChunkSamples, size) - 1;
        auto segment =
            std::lower_bound(m_segments.begin(), m_segments.end(), first,
                             [](const Segment& s, std::int64_t index) { return s.last < index; });
        for (; segment != m_segments.end() && segment->first <= last; ++segment) {
            const std::int64_t from = std::max<std::int64_t>(segment->first, first);
            const std::int64_t to = std::min<std::int64_t>(segment->last, last);
            if (from > to)
                continue;
            synthesizeRun(m_window.data() + (from - m_firstIndex), static_cast<std::int32_t>(from),
                          static_cast<std::int32_t>(to - from + 1), segment->step1, segment->step2,
                          m_amplitude);
        }
    }

    std::span<std::int16_t> m_window;
    std::int32_t m_firstIndex;
    std::span<const Segment> m_segments;
    double m_amplitude;
    std::int64_t m_chunks;
    std::atomic<std::int64_t> m_next{0};
};

unsigned threadCount(std::size_t samples, unsigned requested)
{
    if (requested != 0)
        return requested;
    if (static_cast<std::int64_t>(samples) < kParallelSamples)
        return 1;
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

void synthesizeSegments(std::span<std::int16_t> samples, std::span<const Segment> segments,
                        double amplitude)
{
    synthesizeWindow(samples, 1, segments, amplitude);
}

void synthesizeWindow(std::span<std::int16_t> window, std::int32_t firstIndex,
                      std::span<const Segment> segments, double amplitude, unsigned threads)
{
    WindowJob job(window, firstIndex, segments, amplitude);
    const auto helpers = static_cast<std::int64_t>(threadCount(window.size(), threads)) - 1;
    std::vector<std::thread> pool;
    for (std::int64_t i = 0; i < std::min(helpers, job.chunks() - 1); ++i) {
        try {
            pool.emplace_back([&job] { job.work(); });
        } catch (const std::system_error&) {
            break; // no more threads to be had: the ones running, this one included, finish the job
        }
    }
    job.work();
    for (std::thread& thread : pool)
        thread.join();
}

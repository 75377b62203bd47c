// Drawing a two-hour call's waveform 1,000 columns wide, at the whole call, a minute and a second
// across: from the summary, against scanning every sample of the stretch as a plain repaint would;
// and what making the summary costs once, when decoding has finished.
#include "recording/WaveSummary.h"
#include "samplegen/SpeechSignal.h"

#include <algorithm>
#include <benchmark/benchmark.h>

namespace {

using namespace qor;

constexpr std::size_t kRate = 8000;
constexpr std::size_t kCallSamples = 2 * 3600 * kRate;
constexpr std::size_t kColumns = 1000;

const std::vector<std::int16_t>& Call()
{
    static const std::vector<std::int16_t> samples = samplegen::MakeSpeechLikeSignal(kCallSamples, 1);
    return samples;
}

void BuildSummary(benchmark::State& state)
{
    for (auto _ : state) {
        const CWaveSummary summary(Call());
        benchmark::DoNotOptimize(summary.SampleCount());
    }
}

void DrawFromSummary(benchmark::State& state)
{
    const CWaveSummary summary(Call());
    const auto seconds = static_cast<std::size_t>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(summary.Columns(kCallSamples / 3, seconds * kRate, kColumns).data());
}

void DrawByScanning(benchmark::State& state)
{
    const auto seconds = static_cast<std::size_t>(state.range(0));
    const std::size_t first = kCallSamples / 3, count = std::min(seconds * kRate, kCallSamples - first);
    for (auto _ : state) {
        std::vector<CSampleRange> columns(kColumns);
        for (std::size_t column = 0; column < kColumns; ++column) {
            const auto from = Call().begin() + static_cast<std::ptrdiff_t>(first + column * count / kColumns);
            const auto to = Call().begin() + static_cast<std::ptrdiff_t>(first + (column + 1) * count / kColumns);
            const auto [least, greatest] = std::minmax_element(from, std::max(to, from + 1));
            columns[column] = { *least, *greatest };
        }
        benchmark::DoNotOptimize(columns.data());
    }
}

} // namespace

BENCHMARK(BuildSummary)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawFromSummary)->Arg(7200)->Arg(60)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(DrawByScanning)->Arg(7200)->Arg(60)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

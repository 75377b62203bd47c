// Decoding speed of a recording per codec, from opening the file to the last sample, and for GSM
// the same frames through bare libgsm in the same run. "realtime" is seconds of call decoded per
// second: 500 means 500 times faster than real time.
#include "recording/RecordFile.h"
#include "samplegen/AudioEncoders.h"
#include "samplegen/SampleRecording.h"
#include "samplegen/SpeechSignal.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <gsm.h>
#include <string>

namespace {

using namespace qor;

constexpr std::int32_t kCallSeconds = 120;

std::string RecordingFor(std::int32_t codec)
{
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "qorbench-XXXXXX").string();
        return std::string(mkdtemp(pattern.data()));
    }();
    const std::string path = folder + "/" + std::to_string(codec) + ".qor";
    if (!std::filesystem::exists(path)) {
        samplegen::CSampleCall call;
        call.codecTag = codec;
        call.durationSeconds = kCallSeconds;
        samplegen::WriteRecording(path, call);
    }
    return path;
}

void SetRealTimeCounter(benchmark::State& state)
{
    state.counters["realtime"] = benchmark::Counter(
        static_cast<double>(kCallSeconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void DecodeRecording(benchmark::State& state)
{
    const std::string path = RecordingFor(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        CRvRecordFile file;
        if (file.OpenAndWait(path, "") != 1)
            state.SkipWithError("cannot open the recording");
        benchmark::DoNotOptimize(file.GetSamples(0, 1).data());
    }
    SetRealTimeCounter(state);
}

void DecodeBareLibgsm(benchmark::State& state)
{
    const auto frames = samplegen::EncodeGsm(samplegen::MakeSpeechLikeSignal(kCallSeconds * 8000, 1));
    std::vector<gsm_signal> out(frames.size() / 33 * 160);
    for (auto _ : state) {
        gsm decoder = gsm_create();
        std::vector<gsm_byte> input(frames.begin(), frames.end());
        for (std::size_t frame = 0; frame < input.size() / 33; ++frame)
            gsm_decode(decoder, input.data() + frame * 33, out.data() + frame * 160);
        gsm_destroy(decoder);
        benchmark::DoNotOptimize(out.data());
    }
    SetRealTimeCounter(state);
}

} // namespace

BENCHMARK(DecodeRecording)
    ->ArgName("codec")
    ->Arg(kCodecALaw)
    ->Arg(kCodecMuLaw)
    ->Arg(kCodecImaAdpcm)
    ->Arg(kCodecGsm)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeBareLibgsm)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

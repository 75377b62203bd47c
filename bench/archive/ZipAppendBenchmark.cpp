// What adding one more call to a ZIP archive costs as the archive grows: a job of one call against
// archives that already hold 10 and 1,000 calls. The cost must not grow with the archive.
#include "archive/zip/ZipArchiver.h"
#include "samplegen/SampleRecording.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace qor;
namespace fs = std::filesystem;

struct CBenchFolder {
    std::string path;
    CBenchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "qorbench-zip-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~CBenchFolder() { fs::remove_all(path); }
};

void AddOneCall(benchmark::State& state)
{
    const CBenchFolder folder;
    samplegen::CSampleCall call;
    call.durationSeconds = 60;
    const std::string source = folder.path + "/call.qor";
    samplegen::WriteRecording(source, call);
    const std::string archive = folder.path + "/archive.zip";
    CZIPArchiver filling({}, nullptr);
    for (std::int64_t i = 0; i < state.range(0); ++i)
        filling.Add(archive, source, "User" + std::to_string(i % 10), 0);
    filling.Write();
    for (auto _ : state) {
        CZIPArchiver one({}, nullptr);
        one.Add(archive, source, "new", 0);
        if (one.Write() != 1)
            state.SkipWithError("the call was not added");
    }
}

} // namespace

BENCHMARK(AddOneCall)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(30);

BENCHMARK_MAIN();

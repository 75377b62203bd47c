// Compiling a recording list against the least any search must do: a plain loop that reads the
// first 1,440 bytes (one header) of every file, over the same 20,000 recordings in nested folders.
// Also a 50,000-entry ".reclist" saved and loaded, and the memory one list entry takes.
#include "lists/QorTolvaneDoc.h"
#include "lists/SearchManager.h"
#include "samplegen/SampleRecording.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace qor;
namespace fs = std::filesystem;

constexpr int kSearchedCalls = 20'000;
constexpr int kListedCalls = 50'000;

// A temporary folder removed when the program ends.
struct CBenchFolder {
    std::string path;
    CBenchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "qorbench-search-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~CBenchFolder() { fs::remove_all(path); }
};

// Header-only recordings (the search never reads further), written once per run.
const std::string& Library()
{
    static const CBenchFolder root;
    static const bool written = [] {
        const std::string& folder = root.path;
        samplegen::CSampleCall call;
        call.durationSeconds = 0;
        for (int i = 0; i < kListedCalls; ++i) {
            const std::string tree = i < kSearchedCalls ? "searched" : "other";
            char relative[96];
            std::snprintf(relative, sizeof relative, "%s/User%02d/2016-%02d/User%02d-201601%02d-%06d.qor", tree.c_str(),
                i % 20, i / 20 % 12 + 1, i % 20, i % 28 + 1, i);
            const fs::path path = fs::path(folder) / relative;
            fs::create_directories(path.parent_path());
            call.startTime = 1'451'606'400 + i * 600;
            call.callerId = (i % 2 ? ">" : "<") + std::to_string(5'550'000 + i);
            const auto bytes = samplegen::MakeRecording(call);
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        return true;
    }();
    (void)written;
    return root.path;
}

void CompileList(benchmark::State& state)
{
    SearchCriteria criteria;
    criteria.sources = { Library() + "/searched" };
    criteria.includeSubFolders = true;
    criteria.dateRange = kDateRangeAll;
    CSearchManager manager;
    for (auto _ : state) {
        CQorTolvaneDoc document;
        manager.Prepare(criteria);
        manager.StartSearch();
        while (manager.IsRunning())
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        manager.HandOffTo(&document);
        if (document.GetCount() != kSearchedCalls)
            state.SkipWithError("not every recording was listed");
    }
    state.SetItemsProcessed(state.iterations() * kSearchedCalls);
}

void ReadEveryHeader(benchmark::State& state)
{
    const std::string root = Library() + "/searched";
    char header[1440];
    for (auto _ : state) {
        int read = 0;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file())
                continue;
            std::FILE* file = std::fopen(entry.path().c_str(), "rb");
            read += std::fread(header, 1, sizeof header, file) == sizeof header;
            std::fclose(file);
        }
        if (read != kSearchedCalls)
            state.SkipWithError("not every header was read");
        benchmark::DoNotOptimize(header);
    }
    state.SetItemsProcessed(state.iterations() * kSearchedCalls);
}

void SaveAndLoadList(benchmark::State& state)
{
    CQorTolvaneDoc document;
    for (const auto& entry : fs::recursive_directory_iterator(Library())) {
        if (entry.path().extension() != ".qor")
            continue;
        auto listEntry = std::make_unique<CRvFileListEntry>();
        listEntry->SetPath(entry.path().string());
        listEntry->LoadDetails("");
        document.AddEntry(std::move(listEntry));
    }
    const std::string path = Library() + "/list.reclist";
    for (auto _ : state) {
        document.Save(path);
        CQorTolvaneDoc loaded;
        loaded.Load(path, "");
        if (loaded.GetCount() != kListedCalls)
            state.SkipWithError("the list did not load whole");
    }
    state.SetItemsProcessed(state.iterations() * kListedCalls);
    std::uintmax_t heap = 0;
    for (const auto& entry : document.Entries())
        for (const std::string* text : { &entry->GetPath(), &entry->GetCallerIdText(), &entry->GetUserIdText(),
                 &entry->GetDurationText(), &entry->GetCommentText(), &entry->GetExtraSecondsText() })
            heap += text->capacity() > 15 ? text->capacity() + 1 : 0;
    state.counters["entry_bytes"]
        = static_cast<double>(sizeof(CRvFileListEntry)) + static_cast<double>(heap) / document.GetCount();
}

} // namespace

BENCHMARK(CompileList)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(ReadEveryHeader)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(SaveAndLoadList)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);

BENCHMARK_MAIN();

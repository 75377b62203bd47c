// Feeds arbitrary bytes as a ".reclist" to the list that opens it and as "history.reclist" to the
// play history read at start-up. The files may name the calls in /tmp/qorfuzz-calls, which are
// real. A list opens nothing but calls, and what a list or the history saves must open again to the
// same calls in the same order.
#include "FuzzFiles.h"
#include "lists/QorTolvaneDoc.h"
#include "lists/SearchFilters.h"
#include "review/CallHistory.h"
#include "samplegen/SampleRecording.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> PathsOf(const qor::CQorTolvaneDoc& list)
{
    std::vector<std::string> paths;
    for (const auto& entry : list.Entries())
        paths.push_back(entry->GetPath());
    return paths;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qor::fuzz::UsePrivateDataFolders();
    for (const char* name : { "a.qor", "b.qor", "c.QOR" }) {
        qor::samplegen::CSampleCall call;
        call.durationSeconds = 1;
        qor::samplegen::WriteRecording(std::string("/tmp/qorfuzz-calls/") + name, call);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string listPath = qor::fuzz::ScratchPath("fuzzed.reclist");
    qor::fuzz::WriteWholeFile(listPath, input.ConsumeRandomLengthString(size));
    qor::CQorTolvaneDoc list;
    list.Load(listPath, "");
    for (const std::string& path : PathsOf(list))
        if (!path.starts_with("/") || !qor::IsRecordingPath(path))
            std::abort(); // a list opens calls only, whatever else it names
    const std::string savedPath = qor::fuzz::ScratchPath("saved.reclist");
    if (list.GetCount() > 0 && list.Save(savedPath)) {
        qor::CQorTolvaneDoc reopened;
        if (!reopened.Load(savedPath, "") || PathsOf(reopened) != PathsOf(list))
            std::abort(); // a saved list opens to what it held
    }

    qor::fuzz::WriteWholeFile(qor::CCallHistory::FilePath(), input.ConsumeRemainingBytesAsString());
    qor::CCallHistory history;
    history.Load();
    history.AddPlayed("/tmp/qorfuzz-calls/a.qor");
    const std::vector<std::string> played = history.GetPaths();
    if (!history.Save())
        return 0;
    qor::CCallHistory reread;
    reread.Load();
    if (reread.GetCount() < played.size())
        std::abort(); // nothing played is lost by a save
    return 0;
}

#include "lists/EntryLoading.h"

#include "lists/ParallelReads.h"

namespace qor {

std::vector<std::unique_ptr<CRvFileListEntry>> LoadEntries(
    const std::vector<std::string>& paths, const std::string& passphrase, EntryLoadProgress* progress)
{
    std::vector<std::unique_ptr<CRvFileListEntry>> entries(paths.size());
    if (progress)
        progress->total = paths.size();
    ReadInParallel(
        paths.size(), ConfiguredReaders(), [progress] { return !progress || !progress->stop; },
        [&](std::size_t index) {
            auto entry = std::make_unique<CRvFileListEntry>();
            entry->SetPath(paths[index]);
            entry->LoadDetails(passphrase);
            if (!entry->IsMissing())
                entries[index] = std::move(entry);
            if (progress)
                ++progress->read;
        });
    return entries;
}

} // namespace qor

// The play history: every call started in the player, across runs, kept in "history.reclist" in
// the per-user configuration folder. Playing a call three times remembers it three times.
#pragma once

#include "foundation/LoggedSemaphore.h"
#include "lists/FileListEntry.h"

#include <memory>
#include <string>
#include <vector>

namespace qor {

class CQorTolvaneDoc;

class CCallHistory {
public:
    static constexpr const char* kFileName = "history.reclist";

    // Remembers a started call; a file that does not exist adds nothing.
    void AddPlayed(const std::string& path);
    void Clear();
    // Sorts the history newest call first and gives the document a copy of each entry; the
    // document skips calls it already lists and files that are gone.
    void FillDocument(CQorTolvaneDoc& document);
    // Start-up: forgets what is in memory and reads the file.
    void Load();
    // Writes the file when there is at least one entry; an empty history leaves the file alone.
    // Under the file's lock, the calls played since the last save are added to what the file holds
    // now (another login may have saved its own); after Clear they replace it.
    bool Save();

    std::size_t GetCount();
    std::vector<std::string> GetPaths();

    static std::string FilePath();

private:
    void SortNewestFirst();

    CRvLoggedSemaphore m_lock{ "CALL_HISTORY" };
    std::vector<std::unique_ptr<CRvFileListEntry>> m_entries;
    std::vector<std::string> m_playedSinceSave;
    bool m_clearedSinceSave = false;
};

} // namespace qor

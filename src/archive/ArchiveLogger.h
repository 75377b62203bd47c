// The history of archive jobs, "archive.log" in the per-machine configuration folder: one entry per
// job run with its target, time, method, call count, comment and calls. It answers which job, if
// any, archived a call (the list's "Archived" column, the "only un-archived calls" selection) and
// makes each job's text report.
#pragma once

#include "archive/JobArchListEntry.h"
#include "foundation/LoggedSemaphore.h"
#include "lists/ArchiveLookup.h"

#include <memory>
#include <string>
#include <vector>

namespace qor {

class CArchiveLogger : public IArchiveLookup {
public:
    static constexpr const char* kFileName = "archive.log";

    // Appends a copy of the job; each call's details are read first when they are not loaded, so
    // the log records the call's start. Returns the new entry's index.
    int AddEntry(const CJobArchListEntry& job);
    void Clear();
    // Reads the file; with clearFirst, forgets what is in memory first. False when it cannot be
    // read or parsed (what was in memory then stays).
    bool Load(bool clearFirst);
    // Writes the file in one step when anything changed, also when no entry is left.
    bool Save();
    // Takes the entry out of the log; the caller owns it afterwards. Null for an unknown entry.
    std::unique_ptr<CJobArchListEntry> RemoveEntry(const CJobArchListEntry* job);
    // Replaces an entry's comment (the log viewer's edit).
    void SetComment(CJobArchListEntry* job, const std::string& comment);

    // The entries in file order; valid until the log changes.
    std::vector<CJobArchListEntry*> Entries();
    // The index of the last entry holding a call with exactly this path, or -1. Lookups in the
    // order the calls were archived cost one comparison each.
    int FindPath(const std::string& path);
    // The last entry holding a call that started when the list entry's call did, or null.
    const CJobArchListEntry* FindJobOfCall(const CRvFileListEntry& entry);
    std::optional<std::int64_t> ArchivedTime(const CRvFileListEntry& entry) override;

    bool IsLoaded() const { return m_loaded; }
    bool IsChanged() const { return m_changed; }
    static std::string FilePath();

    // The text report of a job, line by line.
    static std::vector<std::string> BuildReport(const CJobArchListEntry& job);

private:
    CRvLoggedSemaphore m_lock{ "ARCH_LOG" };
    std::vector<std::unique_ptr<CJobArchListEntry>> m_entries;
    bool m_loaded = false;
    bool m_changed = false;
};

} // namespace qor

// The archive logs a user's calls are looked up in: her own, and the office job's, which she only
// reads. The list's Archived column, "only un-archived calls" and the log page ask both together;
// reading the office's never makes us write, delete or run anything.
#pragma once

#include "archive/ArchiveLogger.h"
#include "lists/ArchiveLookup.h"

#include <memory>
#include <string>
#include <vector>

namespace qor {

// The office job's log, read only (written only by the office account's runs).
class COfficeArchiveLog : public CArchiveLogger {
public:
    COfficeArchiveLog()
        : CArchiveLogger(CJobScope::Office)
    {
        Load(true);
    }
};

class CArchiveLogs : public IArchiveLookup {
public:
    // Without arguments, the process-wide own and office logs.
    CArchiveLogs();
    CArchiveLogs(std::shared_ptr<CArchiveLogger> own, std::shared_ptr<CArchiveLogger> office);

    CArchiveLogger& Own() { return *m_own; }
    CArchiveLogger& Office() { return *m_office; }
    // Reads both again (a log that is missing or not trusted names nothing).
    void Load();
    // Each log that is there but was not trusted at its last load, as "PATH: WHY"; what it holds
    // counts for nothing until it is set right.
    std::vector<std::string> Refusals();

    // Every job of either log that holds the call, oldest first.
    std::vector<CArchiveHolding> JobsOfCall(const CRvFileListEntry& entry);
    // Whether either log holds the call.
    bool Holds(const CRvFileListEntry& entry);
    // The folders that folder-tree jobs of either log archived into.
    std::vector<std::string> FolderArchives();
    std::optional<std::int64_t> ArchivedTime(const CRvFileListEntry& entry) override;
    std::vector<std::optional<std::int64_t>> ArchivedTimes(
        const std::vector<std::unique_ptr<CRvFileListEntry>>& entries) override;

private:
    std::shared_ptr<CArchiveLogger> m_own;
    std::shared_ptr<CArchiveLogger> m_office;
};

} // namespace qor

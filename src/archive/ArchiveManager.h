// Runs archive jobs on a worker thread: for each queued job it makes the archiver for the job's
// method, collects the recordings under the job's paths (by the job's selection), hands each to the
// archiver with its folder inside the archive, and has the archive written. Only calls whose copies
// were read back intact from the finished archive count as archived, and only those may afterwards
// be deleted or stripped (ModifyOriginals, which the caller asks for once the run is over).
#pragma once

#include "archive/ArchiveFileListEntry.h"
#include "archive/ArchiveMessages.h"
#include "archive/ArchiverHolder.h"
#include "archive/JobArchListEntry.h"
#include "archive/ProgressBarSink.h"
#include "foundation/LoggedSemaphore.h"
#include "foundation/Thread.h"

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qor {

class CArchiveLogger;

class CArchiveManager : public CRvThread {
public:
    struct Results {
        bool failed = false; // a path was missing, or the run was cancelled
        bool cancelled = false;
        std::int32_t archivedCount = 0; // calls in the archives written
        std::int32_t acceptedCount = 0; // calls handed to the archivers
        double progress = 0.0; // percent
    };

    // The archive log answers "only un-archived calls"; the messages go to the user.
    explicit CArchiveManager(std::shared_ptr<CArchiveLogger> log = {}, IArchiveMessages* messages = nullptr);
    ~CArchiveManager() override;

    void SetMessages(IArchiveMessages* messages) { m_messages = messages; }
    // Queues a copy of the job; the sink hears about the run (may be null).
    void AddJob(const CJobArchListEntry& job, IProgressBarSink* sink);
    // Starts the run; deleteJobsAfterRun drops the queue when it ends. False when a run is going on.
    bool Start(bool deleteJobsAfterRun);
    // Stops a run at its next step and waits for it; what the archivers had written stays.
    void Cancel();
    Results GetResults() const;
    // The calls the last run archived (read back intact); with clear, the manager forgets them.
    // Call once the run is over, or from the sink's OnFinish.
    std::vector<CArchiveFileListEntry> GetArchivedCalls(bool clear);
    void ClearArchivedCalls();
    void ClearJobs();
    CJobArchListEntry* GetFirstJob();
    // What the "By Path" folders lose in front (a recording list's folder).
    void SetPathPrefix(const std::string& prefix) { m_pathPrefix = prefix; }
    // Deletes the originals of the current job's calls, or strips their audio, as the job says;
    // only calls read back intact from a run that neither failed nor was cancelled. The number of
    // calls changed; each is logged.
    int ModifyOriginals(CJobArchListEntry* job);
    void SetProgress(double percent);

protected:
    int Run() override;

private:
    int OpenArchive(CJobArchListEntry& job);
    void CollectJob(CJobArchListEntry& job);
    void ScanPath(const CJobArchListEntry& job, const CRvFileListEntry& listEntry);
    bool Selects(const CJobArchListEntry& job, const std::string& path) const;
    void KeepOnlyVerifiedCalls(std::size_t firstOfJob);

    CRvLoggedSemaphore m_lock{ "ARCHIVE_MANAGER" };
    std::shared_ptr<CArchiveLogger> m_log;
    IArchiveMessages* m_messages;
    std::vector<std::unique_ptr<CJobArchListEntry>> m_jobs;
    std::vector<CArchiveFileListEntry> m_archivedCalls;
    CJobArchListEntry* m_currentJob = nullptr;
    CArchiverHolder m_holder;
    IProgressBarSink* m_sink = nullptr;
    bool m_deleteJobsAfterRun = true;
    std::string m_pathPrefix;
    std::string m_passphrase;
    std::set<std::string> m_verified; // of the current job
    std::atomic<bool> m_failed{ false };
    std::atomic<bool> m_cancelled{ false };
    std::atomic<std::int32_t> m_archivedCount{ 0 };
    std::atomic<std::int32_t> m_acceptedCount{ 0 };
    std::atomic<double> m_progress{ 0.0 };
};

} // namespace qor

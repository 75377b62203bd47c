// Runs archive jobs on a worker thread: for each queued job it makes the archiver for the job's
// method, collects the recordings under the job's paths (by the job's selection), hands each to the
// archiver with its folder inside the archive, and has the archive written. Only calls whose copies
// were read back intact from the finished archive count as archived, and only those may afterwards
// be deleted or stripped (ModifyOriginals, which the caller asks for once the run is over).
#pragma once

#include "archive/ArchiveFileListEntry.h"
#include "archive/ArchiveLogs.h"
#include "archive/ArchiveMessages.h"
#include "archive/ArchiverHolder.h"
#include "archive/JobArchListEntry.h"
#include "archive/OriginalRemover.h"
#include "archive/ProgressBarSink.h"
#include "foundation/LoggedSemaphore.h"
#include "foundation/Thread.h"
#include "lists/RecordingWalk.h"

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
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
        bool writeFailed = false; // an archive, or a call in it, could not be written
        std::int32_t archivedCount = 0; // calls read back intact from the archives written
        std::int32_t acceptedCount = 0; // calls handed to the archivers
        double progress = 0.0; // percent
        std::vector<std::string> unverified; // calls handed over that the archive does not hold intact
        std::vector<std::string> refused; // calls the archiver would not take
        std::vector<std::string> leftOut; // calls left out for the size limit
        // Why calls were not archived, where the archiver knew better than "not read back intact".
        std::map<std::string, std::string> whyNotArchived;
    };
    // What ModifyOriginals did: how many it changed and which, each original it kept with the
    // reason, and the originals that went by themselves (their copies stay in the archive).
    struct CModifyOutcome {
        int modified = 0;
        std::vector<std::string> changed;
        std::vector<std::pair<std::string, COriginalChange>> kept;
        std::vector<std::string> vanished;
    };

    // The archive log the runs are logged in; with the office job's log (for a log of the user's
    // own) it answers "only un-archived calls". The messages go to the user.
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
    // What the last job's archive was read back to hold, by the original's path.
    const VerifiedCopies& Verified() const { return m_verified; }
    void ClearJobs();
    CJobArchListEntry* GetFirstJob();
    // What the "By Path" folders lose in front (a recording list's folder).
    void SetPathPrefix(const std::string& prefix) { m_pathPrefix = prefix; }
    // Deletes the originals of the current job's calls, or strips their audio, as the job says;
    // only calls read back intact from a run that neither failed nor was cancelled, only while
    // each archive as it is now still reads its copy back intact where no other user can change or
    // remove it (see CCopyRecheck), and only while each original still holds exactly what its copy
    // holds (one that changed since is kept). Each is logged.
    CModifyOutcome ModifyOriginals(CJobArchListEntry* job);
    // Removes the files the last run made anew (a new archive, or copies in a folder tree), for a
    // run whose job the archive log could not take: an archive that nothing names would only pile
    // up. Kept when the original of any call in it has gone meanwhile. The paths removed.
    std::vector<std::string> RemoveUnloggedArchive();
    // How long another account's call must have stayed the same before it is changed.
    void SetQuietTime(std::chrono::seconds quiet) { m_quietTime = quiet; }
    std::chrono::seconds QuietTime() const { return m_quietTime; }
    void SetProgress(double percent);

protected:
    int Run() override;

private:
    int OpenArchive(CJobArchListEntry& job);
    // False, having said why, when a folder job's target is one of the folders it archives. Notes
    // the folders the walk leaves out: the target, and every folder tree the log names as an
    // archive, so that no archive's copies are ever taken for originals.
    bool TargetOutsideSources(const CJobArchListEntry& job);
    void CollectJob(CJobArchListEntry& job);
    void ScanPath(const CJobArchListEntry& job, const CRvFileListEntry& listEntry);
    bool Selects(const CJobArchListEntry& job, const std::string& path) const;
    // Whether the archive log holds the call in the file at path (read with the run's passphrase).
    bool IsLogged(const std::string& path) const;
    // Whether the walk may follow the link: not when it is another user's in a folder others can
    // write (then it is named, and left out).
    bool MayFollowLink(const std::string& link);
    // Drops the calls of the job that were not read back intact; returns how many are left.
    std::int32_t KeepOnlyVerifiedCalls(std::size_t firstOfJob);
    // Removes the partial files killed runs left in the call's folder, once a run.
    void SweepFolderOf(const std::string& path);
    // Remembers how the call looked just before it was handed over to be copied.
    void StampCall(const std::string& path);

    CRvLoggedSemaphore m_lock{ "ARCHIVE_MANAGER" };
    std::shared_ptr<CArchiveLogger> m_log;
    mutable CArchiveLogs m_logs; // what the log and the office's hold (lookups change no log)
    IArchiveMessages* m_messages;
    std::vector<std::unique_ptr<CJobArchListEntry>> m_jobs;
    std::vector<CArchiveFileListEntry> m_archivedCalls;
    CJobArchListEntry* m_currentJob = nullptr;
    CArchiverHolder m_holder;
    IProgressBarSink* m_sink = nullptr;
    bool m_deleteJobsAfterRun = true;
    std::string m_pathPrefix;
    std::string m_passphrase;
    VerifiedCopies m_verified; // of the current job
    std::map<std::string, COriginalStamp> m_stamps; // of the current job's calls, as handed over
    std::vector<CMadeFile> m_made; // by the current job
    std::set<std::string> m_sweptFolders; // of this run
    std::chrono::seconds m_quietTime = kQuietTime;
    std::vector<CFolderIdentity> m_excludedFolders; // archive folders, left out of the walk
    mutable std::mutex m_listsMutex; // guards the three lists below, which the worker fills
    std::vector<std::string> m_unverified;
    std::vector<std::string> m_refused;
    std::vector<std::string> m_leftOut;
    std::map<std::string, std::string> m_whyNot;
    std::atomic<bool> m_failed{ false };
    std::atomic<bool> m_cancelled{ false };
    std::atomic<bool> m_writeFailed{ false };
    std::atomic<std::int32_t> m_archivedCount{ 0 };
    std::atomic<std::int32_t> m_acceptedCount{ 0 };
    std::atomic<double> m_progress{ 0.0 };
};

} // namespace qor

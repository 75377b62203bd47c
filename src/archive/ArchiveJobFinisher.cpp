#include "archive/ArchiveJobFinisher.h"

#include "archive/ArchiveLogger.h"
#include "archive/VerifiedCopy.h"
#include "foundation/Logger.h"

namespace qor {

CArchiveJobOutcome FinishArchiveJob(CArchiveManager& manager, CArchiveLogger& log, CJobArchListEntry& job)
{
    CArchiveJobOutcome outcome;
    outcome.target = job.target;
    outcome.mediaProcessing = job.mediaProcessing;
    const CArchiveManager::Results results = manager.GetResults();
    outcome.unverified = results.unverified;
    // A run that failed or was cancelled records nothing and changes no original.
    if (results.failed)
        return outcome;
    outcome.completed = true;
    const bool modifying = job.mediaProcessing == kDeleteOriginals || job.mediaProcessing == kRemoveAudio;
    const VerifiedCopies& verified = manager.Verified();
    job.ClearCalls();
    for (const CArchiveFileListEntry& call : manager.GetArchivedCalls(false)) {
        // Before originals are changed, a call whose copy went or that no longer matches it is left
        // out: the log names only what the archive holds of each call as it is.
        const auto copy = verified.find(call.GetPath());
        if (modifying && (copy == verified.end() || !ContainerStillThere(copy->second))) {
            QOR_LOG("Archiver: File %s kept: the archive that held its copy is gone\r\n", call.GetPath().c_str());
            outcome.originals.archiveGone.push_back(call.GetPath());
            continue;
        }
        if (modifying && !OriginalMatchesCopy(call.GetPath(), copy->second)) {
            QOR_LOG("Archiver: File %s kept: it changed after it was archived\r\n", call.GetPath().c_str());
            outcome.changed.push_back(call.GetPath());
            continue;
        }
        job.AddCall(call);
    }
    job.callCount = static_cast<std::int32_t>(job.Calls().size());
    outcome.archived = job.callCount;
    if (job.Calls().empty())
        return outcome;
    log.AddEntry(job);
    if (!log.Save()) {
        QOR_LOG("Archiver: The archive log cannot be written; no original was changed\r\n");
        return outcome;
    }
    outcome.logged = true;
    if (!modifying)
        return outcome;
    outcome.originals = manager.ModifyOriginals(&job);
    log.SetOriginalsNote(job, OriginalsNote(job.mediaProcessing, job.Calls().size(), outcome.originals));
    // Failing here loses only the note: the job and its calls are on disk already.
    log.Save();
    return outcome;
}

std::string OriginalsNote(std::int32_t mediaProcessing, std::size_t calls, const CArchiveManager::CModifyOutcome& done)
{
    const bool deleting = mediaProcessing == kDeleteOriginals;
    std::string note = std::to_string(done.modified) + " of " + std::to_string(calls)
        + (deleting ? " deleted" : " stripped of their audio");
    if (!done.changed.empty())
        note += "; " + std::to_string(done.changed.size()) + " kept: changed after it was archived";
    if (!done.archiveGone.empty())
        note += "; " + std::to_string(done.archiveGone.size()) + " kept: the archive was gone";
    if (!done.failed.empty())
        note += "; " + std::to_string(done.failed.size())
            + (deleting ? " could not be deleted" : " could not be stripped");
    return note;
}

} // namespace qor

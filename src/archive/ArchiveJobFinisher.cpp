#include "archive/ArchiveJobFinisher.h"

#include "archive/ArchiveLogger.h"
#include "archive/VerifiedCopy.h"
#include "foundation/Logger.h"

#include <map>

namespace qor {

CArchiveJobOutcome FinishArchiveJob(CArchiveManager& manager, CArchiveLogger& log, CJobArchListEntry& job)
{
    CArchiveJobOutcome outcome = LogArchiveJob(manager, log, job);
    ModifyLoggedOriginals(manager, log, job, outcome);
    return outcome;
}

CArchiveJobOutcome LogArchiveJob(CArchiveManager& manager, CArchiveLogger& log, CJobArchListEntry& job)
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
        const COriginalChange state = !modifying                           ? COriginalChange::Done
            : copy == verified.end() || !ContainerStillThere(copy->second) ? COriginalChange::ArchiveGone
            : !OriginalMatchesCopy(call.GetPath(), copy->second)           ? COriginalChange::Changed
                                                                           : COriginalChange::Done;
        if (state != COriginalChange::Done) {
            QOR_LOG("Archiver: File %s kept: %s\r\n", call.GetPath().c_str(), OriginalChangeText(state));
            outcome.changed.emplace_back(call.GetPath(), state);
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
    return outcome;
}

void ModifyLoggedOriginals(
    CArchiveManager& manager, CArchiveLogger& log, CJobArchListEntry& job, CArchiveJobOutcome& outcome)
{
    if (!outcome.logged || (job.mediaProcessing != kDeleteOriginals && job.mediaProcessing != kRemoveAudio))
        return;
    outcome.originals = manager.ModifyOriginals(&job);
    log.SetOriginalsNote(job, OriginalsNote(job.mediaProcessing, job.Calls().size(), outcome.originals));
    // Failing here loses only the note: the job and its calls are on disk already.
    log.Save();
}

std::string OriginalsNote(std::int32_t mediaProcessing, std::size_t calls, const CArchiveManager::CModifyOutcome& done)
{
    std::string note = std::to_string(done.modified) + " of " + std::to_string(calls)
        + (mediaProcessing == kDeleteOriginals ? " deleted" : " stripped of their audio");
    std::map<COriginalChange, int> reasons;
    for (const auto& [path, reason] : done.kept)
        ++reasons[reason];
    for (const auto& [reason, count] : reasons)
        note += "; " + std::to_string(count) + " kept: " + OriginalChangeText(reason);
    return note;
}

} // namespace qor

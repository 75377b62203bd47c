#include "archive/ArchiveJobFinisher.h"

#include "archive/ArchiveLogger.h"
#include "archive/VerifiedCopy.h"
#include "foundation/FileIdentity.h"
#include "foundation/Logger.h"

#include <algorithm>
#include <map>
#include <sys/stat.h>

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
    // A run that failed or was cancelled changes no original, but what its archive holds is
    // logged all the same: the calls are archived, and are not archived twice.
    outcome.completed = !results.failed;
    const bool modifying
        = outcome.completed && (job.mediaProcessing == kDeleteOriginals || job.mediaProcessing == kRemoveAudio);
    const VerifiedCopies& verified = manager.Verified();
    job.ClearCalls();
    for (const CArchiveFileListEntry& call : manager.GetArchivedCalls(false)) {
        // Before originals are changed, a call whose copy went or that no longer matches it is left
        // out: the log names only what the archive holds of each call as it is.
        const auto copy = verified.find(call.GetPath());
        CFileIdentity now;
        const bool gone = copy != verified.end() && !IdentityOfPath(call.GetPath(), now);
        const COriginalChange state = !modifying || gone                   ? COriginalChange::Done
            : copy == verified.end() || !ContainerStillThere(copy->second) ? COriginalChange::ArchiveGone
            : !OriginalMatchesCopy(call.GetPath(), copy->second)           ? COriginalChange::Changed
            // Not yet the whole call: logged, a call whose recorder goes on would never be taken again.
            : AnotherAccountStillWrites(call.GetPath(), copy->second, manager.QuietTime())
            ? COriginalChange::StillWritten
            : COriginalChange::Done;
        if (state != COriginalChange::Done) {
            QOR_LOG("Archiver: File %s kept: %s\r\n", call.GetPath().c_str(), OriginalChangeText(state));
            outcome.changed.emplace_back(call.GetPath(), state);
            continue;
        }
        // Taken away meanwhile by another program: the copy read back is all that is left of it.
        if (gone) {
            QOR_LOG("Archiver: File %s vanished; its copy is in %s\r\n", call.GetPath().c_str(),
                copy->second.container.c_str());
            outcome.vanished.emplace_back(call.GetPath(), copy->second.container);
        }
        job.AddCall(call);
    }
    job.callCount = static_cast<std::int32_t>(job.Calls().size());
    outcome.readBack = job.callCount;
    if (job.Calls().empty())
        return outcome;
    log.AddEntry(job);
    if (!log.Save()) {
        QOR_LOG("Archiver: The archive log cannot be written; no original was changed\r\n");
        outcome.removed = manager.RemoveUnloggedArchive();
        return outcome;
    }
    outcome.logged = true;
    outcome.archived = job.callCount;
    return outcome;
}

void ModifyLoggedOriginals(
    CArchiveManager& manager, CArchiveLogger& log, CJobArchListEntry& job, CArchiveJobOutcome& outcome)
{
    if (!outcome.logged || (job.mediaProcessing != kDeleteOriginals && job.mediaProcessing != kRemoveAudio))
        return;
    if (outcome.completed) {
        outcome.originals = manager.ModifyOriginals(&job);
        // Those that had gone before the log was written were said to be gone then.
        std::erase_if(outcome.originals.vanished, [&outcome](const std::string& path) {
            return std::any_of(outcome.vanished.begin(), outcome.vanished.end(),
                [&path](const auto& gone) { return gone.first == path; });
        });
        // The note accounts for every call the log names, those gone before it was written too.
        CArchiveManager::CModifyOutcome noted = outcome.originals;
        for (const auto& [path, copy] : outcome.vanished)
            noted.vanished.push_back(path);
        log.SetOriginalsNote(job, OriginalsNote(job.mediaProcessing, job.Calls().size(), noted));
    } else {
        log.SetOriginalsNote(job, "none changed: the archive run did not complete");
    }
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
    if (!done.vanished.empty())
        note += "; " + std::to_string(done.vanished.size())
            + " vanished before they could be changed (their copies stay)";
    return note;
}

std::string NotArchivedText(
    const std::string& path, const CArchiveManager::Results& results, const CArchiveJobOutcome& outcome)
{
    const auto known = results.whyNotArchived.find(path);
    // An archive that was not written at all holds no copy to have been read back.
    const std::string why = known != results.whyNotArchived.end() ? known->second
        : results.writeFailed && outcome.readBack == 0            ? "the archive was not written (see above)"
                                                                  : "its copy was not read back intact";
    struct stat status { };
    return "not archived: " + why + "; "
        + (lstat(path.c_str(), &status) == 0 ? "the original is kept" : "the original is gone");
}

std::string CopyPlace(const CArchiveManager& manager, const std::string& original)
{
    const auto copy = manager.Verified().find(original);
    if (copy == manager.Verified().end())
        return {};
    return copy->second.kind == CVerifiedCopy::Kind::File ? copy->second.container
                                                          : copy->second.container + " (" + copy->second.entry + ")";
}

} // namespace qor

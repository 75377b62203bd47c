// What follows an archive run, in the one order that never loses a call: the job's entry, naming
// the calls read back intact, is written to the archive log and flushed to disk first; only then
// are the originals deleted or stripped, each checked against its copy once more, and what became
// of them is recorded after. The command line, the scheduled job and the wizard all finish here.
#pragma once

#include "archive/ArchiveManager.h"

#include <string>
#include <vector>

namespace qor {

class CArchiveLogger;

struct CArchiveJobOutcome {
    std::string target;
    std::int32_t mediaProcessing = kKeepOriginals;
    bool completed = false; // the run neither failed nor was cancelled
    bool logged = false; // the log on disk holds the job
    std::int32_t readBack = 0; // calls read back intact (the log may not have taken them)
    std::int32_t archived = 0; // calls read back intact and named in the log
    std::vector<std::string> unverified; // handed to the archiver, not in the archive intact
    // Read back intact, but changed (or its archive gone) before the log was written: not named
    // in it, and kept, with the reason.
    std::vector<std::pair<std::string, COriginalChange>> changed;
    // Read back intact, but the original went before the log was written: named in it, with where
    // its copy is.
    std::vector<std::pair<std::string, std::string>> vanished;
    // Files of an archive the log could not take, removed again (see RemoveUnloggedArchive).
    std::vector<std::string> removed;
    CArchiveManager::CModifyOutcome originals; // of the calls the log names
};

// Finishes the manager's current job (the one its run ended with). Originals are only touched once
// the log holds the job, and only after a run that neither failed nor was cancelled.
CArchiveJobOutcome FinishArchiveJob(CArchiveManager& manager, CArchiveLogger& log, CJobArchListEntry& job);

// The two halves of FinishArchiveJob, for a caller that asks the user in between: the job's entry
// written to the log, naming every call the archive read back intact however the run ended, then
// (only when outcome.logged and outcome.completed) the originals modified as the job says.
CArchiveJobOutcome LogArchiveJob(CArchiveManager& manager, CArchiveLogger& log, CJobArchListEntry& job);
void ModifyLoggedOriginals(
    CArchiveManager& manager, CArchiveLogger& log, CJobArchListEntry& job, CArchiveJobOutcome& outcome);

// What became of the originals, as the log records it ("3 of 4 deleted; 1 kept: it changed after
// it was archived").
std::string OriginalsNote(std::int32_t mediaProcessing, std::size_t calls, const CArchiveManager::CModifyOutcome& done);

// Why a call handed to the archiver is not archived, and whether its original is still there, in
// words ("not archived: it cannot be read (Permission denied); the original is kept").
std::string NotArchivedText(
    const std::string& path, const CArchiveManager::Results& results, const CArchiveJobOutcome& outcome);

// Where the copy of a call the job logged lies, for messages; empty when unknown.
std::string CopyPlace(const CArchiveManager& manager, const std::string& original);

} // namespace qor

// The history of archive jobs, "archive.log": the user's own in her data folder, or the office job's,
// which only the office account writes and everyone else only reads. One entry per job run with its
// target, time, method, call count, comment, calls and what became of the originals. It answers which job, if any,
// archived a call (the list's "Archived" column, the "only un-archived calls" selection) and makes each job's text
// report. Several programs may change the file at once (the desktop program, the command line, the timer): each change
// is kept until it is saved, and a save takes the file's lock, reads what the others wrote meanwhile, applies our
// changes to that and writes the result, so no job's entry is ever lost.
#pragma once

#include "archive/ArchiveLogFile.h"
#include "archive/ArchivedCallIndex.h"
#include "archive/JobArchListEntry.h"
#include "archive/JobScope.h"
#include "foundation/LoggedSemaphore.h"
#include "lists/ArchiveLookup.h"

#include <memory>
#include <string>
#include <vector>

namespace qor {

// An archive job that holds a call, copied out of the log for a window to show.
struct CArchiveHolding {
    std::int64_t jobTime = 0;
    std::int32_t archiveType = 0;
    std::string dateTimeText;
    std::string target;
};

class CArchiveLogger : public IArchiveLookup {
public:
    static constexpr const char* kFileName = "archive.log";

    // The log of the scope's jobs; one this process does not write is only ever read.
    explicit CArchiveLogger(CJobScope scope = CJobScope::Own);

    // Appends a copy of the job; each call's details are read first when they are not loaded, so
    // the log records the call's start. Returns the new entry's index.
    int AddEntry(const CJobArchListEntry& job);
    // Forgets every entry in memory and every change not saved; the file stays as it is.
    void Clear();
    // Reads the file; with clearFirst, forgets what is in memory first. A damaged file is kept
    // aside, what it still holds is recovered and written back in its place (see DamageNote).
    // False when there is no log or it cannot be read (what was in memory then stays).
    bool Load(bool clearFirst);
    // Applies the changes made since the last load or save to the file as it is now, under its
    // lock, and writes it in one step, flushed to disk. False when it cannot be written; the
    // changes then stay, to be saved later.
    bool Save();
    // Whether the file can be saved now, shown by writing it as it is (a missing log is made
    // empty); why says what stands in the way. A run asks before it makes an archive.
    bool CheckSavable(std::string& why);
    // Takes the entry out of the log; the caller owns it afterwards. Null for an unknown entry.
    std::unique_ptr<CJobArchListEntry> RemoveEntry(const CJobArchListEntry* job);
    // Replaces an entry's comment (the log viewer's edit).
    void SetComment(CJobArchListEntry* job, const std::string& comment);
    // Records what became of the originals of the entry's calls.
    void SetOriginalsNote(const CJobArchListEntry& job, const std::string& note);

    // The entries in file order; valid until the log changes, loads or saves.
    std::vector<CJobArchListEntry*> Entries();
    // The folders that folder-tree jobs archived into.
    std::vector<std::string> FolderArchives();
    // The index of the last entry holding a call with exactly this path, or -1. Lookups in the
    // order the calls were archived cost one comparison each.
    int FindPath(const std::string& path);
    // The last entry holding the list entry's call, or null (CArchivedCallIndex says what counts as
    // the same call). The list's column, the command line's "archived" field and the "unarchived"
    // selection all ask this.
    const CJobArchListEntry* FindJobOfCall(const CRvFileListEntry& entry);
    // Every job that holds the call, oldest first; copies, so another thread may change the log.
    std::vector<CArchiveHolding> JobsOfCall(const CRvFileListEntry& entry);
    std::optional<std::int64_t> ArchivedTime(const CRvFileListEntry& entry) override;
    std::vector<std::optional<std::int64_t>> ArchivedTimes(
        const std::vector<std::unique_ptr<CRvFileListEntry>>& entries) override;

    bool IsLoaded() const { return m_loaded; }
    bool IsChanged() const { return !m_changes.empty(); }
    // When the last load or save found the file damaged: where it was kept aside; then cleared.
    std::string TakeDamageNote();
    // Why the last load did not trust the file that is there (another user's, or open to others),
    // so that what it leaves out is named; empty when it was read or is missing.
    std::string Refusal();
    // The user's own log.
    static std::string FilePath();
    // This log's file.
    std::string Path() const;
    CJobScope Scope() const { return m_scope; }
    // True for a log this process only reads (the office's, for anyone but the office account).
    bool IsReadOnly() const { return m_readOnly; }

    // The text report of a job, line by line.
    static std::vector<std::string> BuildReport(const CJobArchListEntry& job);

private:
    const CJobArchListEntry* FindJobOfCallLocked(const CRvFileListEntry& entry);
    // The index of the calls the entries hold, built when first asked after a change.
    const CArchivedCallIndex& CallIndexLocked();
    // A change not saved yet, with the entry it concerns named by its id and target.
    struct CChange {
        enum class Kind { Add, Remove, Comment, Originals } kind;
        std::int64_t id = 0;
        std::string target;
        std::string text;
        std::shared_ptr<const CJobArchListEntry> added;
    };
    // Reads the file under its lock, writing back what a damaged one still held.
    bool ReadLocked(CArchiveLogFileRead& read);
    // Reads another owner's log, trusting it only as that owner's, and writing nothing.
    bool ReadOnly(CArchiveLogFileRead& read) const;
    // The user's own log is hers alone; the office's is read by everyone.
    mode_t LogFileMode() const { return m_scope == CJobScope::Office ? 0644 : 0600; }
    static void Apply(const CChange& change, ArchiveLogEntries& entries);

    CJobScope m_scope;
    bool m_readOnly;
    CRvLoggedSemaphore m_lock{ "ARCH_LOG" };
    ArchiveLogEntries m_entries;
    std::vector<CChange> m_changes;
    std::string m_damageNote;
    std::string m_refusal;
    bool m_loaded = false;
    CArchivedCallIndex m_callIndex;
    bool m_callIndexValid = false;
};

} // namespace qor

// Keeps an existing archive whole across a crash. Adding to it overwrites the archive from its
// central directory to its end; before that, those bytes are saved, with the archive's path and
// identity, in a journal in the user's private state folder (never beside the archive, where
// another user could plant one), written and flushed in full before it takes its name. The journal
// goes once the new directory is on disk, so a journal found later means a run died: it puts the
// archive back as it was, with every entry it held.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qor {

class CZipJournal {
public:
    struct CIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t birth = 0; // nanoseconds; 0 where the file system keeps no birth time
        bool operator==(const CIdentity&) const = default;
    };

    explicit CZipJournal(std::string archivePath);

    // Repairs the archive (open for writing and locked) from a journal a dead run left on this very
    // file. True when there was none or when the repair is on disk; false with error set when a
    // journal is there but cannot be used, and the archive is then left as it is.
    bool RepairIfLeft(int archive, bool& repaired, std::string& error);

    // Saves the archive's bytes from tailOffset to its end durably, before they are overwritten.
    bool Save(int archive, std::uint64_t tailOffset, std::uint64_t fileSize);
    bool IsSaved() const { return m_saved; }

    // Puts the archive back as it was when Save was called, and drops the journal.
    bool RollBack(int archive);

    // The archive's new directory is on disk: the journal is no longer needed.
    bool Discard();

    // The folder that holds the journals; empty when there is none (and create is not set).
    static std::string Folder(bool create);

    // Reads the journal file at journalPath; false when it is no journal of ours or damaged.
    bool Load(const std::string& journalPath);
    const std::string& ArchivePath() const { return m_archivePath; }
    const std::string& JournalPath() const { return m_path; }
    const CIdentity& Identity() const { return m_identity; }

    // Puts the archive (open for writing and locked) back from a loaded journal, then drops it.
    bool Restore(int archive);

    static bool IdentityOf(int archive, CIdentity& identity);

private:
    bool Parse(const std::string& content);
    bool PutBack(int archive) const;
    bool Bind(int archive);

    std::string m_archivePath;
    std::string m_path; // the journal, once bound to the archive's identity
    CIdentity m_identity;
    std::uint64_t m_originalSize = 0;
    std::uint64_t m_tailOffset = 0;
    std::string m_tail;
    bool m_saved = false;
};

} // namespace qor

// Keeps an existing archive whole across a crash. Adding to it overwrites the archive from its
// central directory to its end; before that, those bytes are saved beside it in "<archive>.journal",
// written and flushed in full before the journal takes its name. The journal goes once the new
// directory is on disk, so a journal found when a run starts means the last run died: it puts the
// archive back as it was, with every entry it held.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

class CZipJournal {
public:
    struct CIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t birth = 0; // nanoseconds; 0 where the file system keeps no birth time
        bool operator==(const CIdentity&) const = default;
    };

    explicit CZipJournal(const std::string& archivePath);

    // Repairs the archive (open for writing and locked) from a journal a dead run left on this very
    // file. True when there was none, when it belonged to a file since replaced (it is removed) or
    // when the repair is on disk; false with error set when a journal is there but cannot be used,
    // and the archive is then left as it is.
    bool RepairIfLeft(int archive, bool& repaired, std::string& error);

    // Saves the archive's bytes from tailOffset to its end durably, before they are overwritten.
    bool Save(int archive, std::uint64_t tailOffset, std::uint64_t fileSize);
    bool IsSaved() const { return m_saved; }

    // Puts the archive back as it was when Save was called, and drops the journal.
    bool RollBack(int archive);

    // The archive's new directory is on disk, or the archive is gone: the journal is no longer needed.
    bool Discard();

    const std::string& Path() const { return m_path; }

private:
    bool Parse(const std::string& content);
    bool Restore(int archive) const;

    std::string m_path;
    std::string m_temporaryPath;
    CIdentity m_identity;
    std::uint64_t m_originalSize = 0;
    std::uint64_t m_tailOffset = 0;
    std::string m_tail;
    bool m_saved = false;
};

} // namespace qor

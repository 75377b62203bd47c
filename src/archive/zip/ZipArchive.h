// One ZIP file open for adding for the whole of a run: entries go in one after another where the
// central directory stood, the directory is kept in memory and written once at the end. An existing
// file is opened without following links and locked, repaired from a dead run's journal and
// journalled before it changes; a new one is written as a locked partial file beside its target and
// takes the target's name, never replacing a file, when complete.
#pragma once

#include "archive/PartialFile.h"
#include "archive/VerifiedCopy.h"
#include "archive/zip/ZipCentralDirectory.h"
#include "archive/zip/ZipEntryWriter.h"
#include "archive/zip/ZipJournal.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace qor {

class CZipArchive {
public:
    using Result = CZipEntryWriter::Result;

    explicit CZipArchive(std::string path);
    // An archive neither finished nor abandoned is put back as it was.
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Opens the archive for adding, or prepares a new one. On failure, error says why for the user
    // and the file is as it was.
    bool Open(std::string& error);

    // Adds the open source under name; on anything but Written the archive holds what it held.
    Result Add(int source, const std::string& name, const std::atomic<bool>& cancelled);
    // Takes back the entry added last, cutting its bytes off the file.
    bool RemoveLast();
    // The entry of that name, held before or added in this run; null when there is none.
    const CZipEntryRecord* FindEntry(const std::string& name) const;

    // Stored entries plus the central directory as it would be written now.
    std::uint64_t OccupiedSize() const { return m_dataEnd + m_directory.WrittenSize(m_dataEnd); }
    const std::vector<CZipEntryRecord>& AddedEntries() const { return m_directory.AddedEntries(); }
    const std::string& Path() const { return m_path; }
    // The file open for adding (once it has taken its name, the archive's).
    CFileIdentity Identity() const { return IdentityOf(m_descriptor); }
    // True when Open found a journal of a dead run and put the archive back from it.
    bool WasRepaired() const { return m_repaired; }
    // True when the archive did not exist before this run made it.
    bool IsNew() const { return !m_existing; }
    // The status of the archive file; false when it cannot be had.
    bool Status(struct stat& status) const;

    // Narrows who may read the archive before it is finished (see IArchiver::RestrictAccess),
    // given the archive's descriptor and its mode as it would otherwise be.
    void LimitAccess(const std::function<void(int descriptor, unsigned mode)>& restrict);

    // Writes the directory and makes the archive durable (a new one takes its name); the archive
    // stays open and locked until Close. On failure the archive is put back as it was before Open
    // and error says why.
    bool Finish(std::string& error);
    // After Finish: what the file on disk holds of each entry, when intact.
    std::vector<std::optional<CVerifiedCopy>> Verify(const std::vector<CZipEntryRecord>& entries) const;
    // Whether the entry holds exactly the bytes of the file open on source.
    bool HoldsFile(const CZipEntryRecord& entry, int source) const;
    // Puts the archive back as it was before Open.
    void Abandon();
    void Close();

private:
    bool OpenExisting(std::string& error);
    int CreatePartial(std::string& error);
    bool WriteDirectory();

    std::string m_path;
    CFolderHandle m_folder; // where it is, reached once, never through another user's link
    std::string m_name;
    CPartialFile m_partial; // a new archive, until it takes its name
    CTargetClaim m_claim; // an existing archive's, while we add to it
    int m_descriptor = -1;
    bool m_existing = false;
    bool m_repaired = false;
    bool m_finished = false;
    std::uint64_t m_originalSize = 0;
    std::uint64_t m_dataEnd = 0;
    CZipJournal m_journal;
    CZipCentralDirectory m_directory;
    std::unordered_map<std::string, CZipEntryRecord> m_names;
    CZipEntryWriter m_entryWriter;
};

} // namespace qor

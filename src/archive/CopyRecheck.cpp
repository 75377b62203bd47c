#include "archive/CopyRecheck.h"

#include "archive/iso/IsoReadBack.h"
#include "archive/zip/ZipJournal.h"
#include "archive/zip/ZipRecords.h"
#include "archive/zip/ZipVerifier.h"
#include "foundation/FileLock.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"
#include "foundation/TrustedFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qor {
namespace {

// Opens the folder that holds a copy when it and every folder on its way is ours or root's and
// nobody else may rename or remove what is in it: whoever could would hold the only copy once the
// original is gone, or put another under its name.
COriginalChange OpenCopyFolder(const std::string& container, CFolderHandle& folder)
{
    if (OpenTrustedFolder(FolderOf(container), folder, CFolderWay{ .ownFoldersOnly = true }))
        return COriginalChange::Done;
    return errno == EACCES || errno == EPERM ? COriginalChange::CopyExposed : COriginalChange::ArchiveGone;
}

// Whether any program has the file open for writing, whatever its mode says now: a file of ours
// that others could once open may still be held open by them. A read lease is granted only while
// nobody writes the file; where the file system grants none, only the mode can tell.
bool OpenForWriting(int folder, const std::string& name)
{
    const int descriptor = openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool leased = fcntl(descriptor, F_SETLEASE, F_RDLCK) == 0;
    const bool writers = !leased && errno == EAGAIN;
    if (leased)
        fcntl(descriptor, F_SETLEASE, F_UNLCK);
    close(descriptor);
    return writers;
}

void SetAll(const std::vector<std::pair<std::string, const CVerifiedCopy*>>& copies, COriginalChange change,
    std::map<std::string, COriginalChange>& into)
{
    for (const auto& [original, copy] : copies)
        into[original] = change;
}

} // namespace

bool OnlyWeCanChange(const struct stat& status)
{
    return S_ISREG(status.st_mode) && status.st_uid == geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0
        && status.st_nlink == 1;
}

CCopyRecheck::CCopyRecheck(std::chrono::milliseconds patience)
    : m_patience(patience)
{
}

CCopyRecheck::~CCopyRecheck()
{
    for (const int archive : m_held)
        close(archive);
}

std::map<std::string, COriginalChange> CCopyRecheck::Check(const VerifiedCopies& copies)
{
    std::map<std::string, COriginalChange> result;
    std::map<std::string, Copies> byArchive;
    for (const auto& [original, copy] : copies) {
        if (copy.kind == CVerifiedCopy::Kind::File)
            CheckFile(original, copy, result);
        else
            byArchive[copy.container].emplace_back(original, &copy);
    }
    for (const auto& [container, held] : byArchive)
        CheckArchive(held, result);
    return result;
}

void CCopyRecheck::CheckFile(
    const std::string& original, const CVerifiedCopy& copy, std::map<std::string, COriginalChange>& into)
{
    COriginalChange& verdict = into[original];
    CFolderHandle folder;
    if (verdict = OpenCopyFolder(copy.container, folder); verdict != COriginalChange::Done)
        return;
    const std::string name(FileNameOf(copy.container));
    if (OpenForWriting(folder.Descriptor(), name)) {
        verdict = COriginalChange::CopyOpenForWriting;
        return;
    }
    const int descriptor
        = openat(folder.Descriptor(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat status { };
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || !(IdentityOf(descriptor) == copy.containerIdentity)) {
        verdict = COriginalChange::ArchiveGone;
    } else if (!OnlyWeCanChange(status)) {
        verdict = COriginalChange::CopyExposed;
    } else {
        posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED);
        verdict = FileMatchesCopy(descriptor, copy) ? COriginalChange::Done : COriginalChange::CopyNotIntact;
    }
    if (descriptor >= 0)
        close(descriptor);
}

int CCopyRecheck::OpenArchive(const CVerifiedCopy& first, COriginalChange& why)
{
    CFolderHandle folder;
    if (why = OpenCopyFolder(first.container, folder); why != COriginalChange::Done)
        return -1;
    const std::string name(FileNameOf(first.container));
    // The next job of ours that adds to the archive waits on its claim: an image is replaced
    // whole, a ZIP file is added to in place.
    auto claim = std::make_unique<CTargetClaim>();
    if (claim->Take(folder, name, m_patience) == EBUSY) {
        why = COriginalChange::ArchiveBusy;
        return -1;
    }
    const bool claimed = claim->IsHeld();
    m_claims.push_back(std::move(claim));
    if (OpenForWriting(folder.Descriptor(), name)) {
        why = COriginalChange::CopyOpenForWriting;
        return -1;
    }
    const int descriptor
        = openat(folder.Descriptor(), name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat status { };
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || !(IdentityOf(descriptor) == first.containerIdentity)) {
        if (descriptor >= 0)
            close(descriptor);
        why = COriginalChange::ArchiveGone;
        return -1;
    }
    if (!OnlyWeCanChange(status)) {
        close(descriptor);
        why = COriginalChange::CopyExposed;
        return -1;
    }
    if (!(claimed ? LockForWritingDespiteReaders(descriptor, m_patience) : LockForWriting(descriptor, m_patience))) {
        close(descriptor);
        why = COriginalChange::ArchiveBusy;
        return -1;
    }
    return descriptor;
}

void CCopyRecheck::CheckArchive(const Copies& copies, std::map<std::string, COriginalChange>& into)
{
    const CVerifiedCopy& first = *copies.front().second;
    COriginalChange why = COriginalChange::Done;
    const int archive = OpenArchive(first, why);
    if (archive < 0)
        return SetAll(copies, why, into);
    m_held.push_back(archive);
    std::vector<bool> intact;
    if (first.kind == CVerifiedCopy::Kind::ZipEntry) {
        // A job of ours killed while it added to the archive left it half-written, with a journal
        // that puts it back; only then can the archive be read as it is meant to be.
        bool repaired = false;
        std::string error;
        if (!CZipJournal(first.container).RepairIfLeft(archive, repaired, error)) {
            QOR_LOG("Archiver: %s cannot be put back from its journal (%s); its originals are kept\r\n",
                first.container.c_str(), error.c_str());
            return SetAll(copies, COriginalChange::CopyNotIntact, into);
        }
        if (repaired)
            QOR_LOG("Archiver: ZIP %s repaired from the journal of an interrupted run\r\n", first.container.c_str());
        std::vector<CZipEntryRecord> expected;
        for (const auto& [original, copy] : copies) {
            CZipEntryRecord record;
            record.name = copy->entry;
            record.crc = copy->entryCrc;
            record.uncompressedSize = copy->size;
            record.localHeaderOffset = copy->entryOffset;
            expected.push_back(std::move(record));
        }
        const std::vector<std::optional<CVerifiedCopy>> now = VerifyZipEntries(archive, expected);
        for (std::size_t index = 0; index < copies.size(); ++index)
            intact.push_back(now[index] && now[index]->size == copies[index].second->size
                && now[index]->digest == copies[index].second->digest);
    } else {
        std::vector<const CVerifiedCopy*> held;
        for (const auto& [original, copy] : copies)
            held.push_back(copy);
        intact = ImageStillHolds(archive, held);
    }
    for (std::size_t index = 0; index < copies.size(); ++index)
        into[copies[index].first] = intact[index] ? COriginalChange::Done : COriginalChange::CopyNotIntact;
}

} // namespace qor

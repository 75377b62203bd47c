#include "archive/zip/ZipArchive.h"

#include "archive/zip/ZipFileIo.h"
#include "archive/zip/ZipVerifier.h"
#include "foundation/FileLock.h"
#include "foundation/FolderSync.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr int kOpenAttempts = 10;
constexpr int kBusy = -2;
constexpr int kCreated = 1;

std::string Reason(const char* what, int error)
{
    return std::string(what) + " (" + std::strerror(error) + ")";
}

} // namespace

CZipArchive::CZipArchive(std::string path)
    : m_path(std::move(path))
    , m_journal(m_path)
{
}

CZipArchive::~CZipArchive()
{
    if (!m_finished)
        Abandon();
    Close();
}

bool CZipArchive::Open(std::string& error)
{
    if (!OpenTrustedFolder(FolderOf(m_path), m_folder)) {
        error = errno == EPERM ? std::string("its folder is reached through another user's link")
                               : Reason("it cannot be created", errno);
        return false;
    }
    m_name = FileNameOf(m_path);
    // Partial files a killed job left beside the archive go once a job comes by.
    RemoveStalePartials(m_folder);
    // Each round either finds the archive or claims its partial file; another job that finishes
    // the same new archive meanwhile sends us round again, to add to what it wrote.
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        const int descriptor
            = openat(m_folder.Descriptor(), m_name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (descriptor >= 0) {
            struct stat status { };
            if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
                close(descriptor);
                error = "it is not a regular file";
                return false;
            }
            // Written in place, so only an archive of our own: another user's file is not ours to
            // change, however its permissions read.
            if (status.st_uid != geteuid()) {
                close(descriptor);
                error = "it belongs to another user";
                return false;
            }
            // Another user may hold it open for writing from when its permissions let him (a
            // file of ours renamed into place), and change it after the originals are deleted.
            // Nor one with another name besides: another user may have linked it there while he
            // could write it.
            if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 || status.st_nlink != 1) {
                close(descriptor);
                error = status.st_nlink != 1
                    ? "it has another name besides (a hard link), so it is not added to; archive into a new file"
                    : "others can write it, so it is not added to; archive into a new file";
                return false;
            }
            // Our jobs meet at the claim; the lock on the file itself stops a job of an earlier
            // version, while a read lock anyone who can read it may take stops nothing.
            if (m_claim.Take(m_folder, m_name) == EBUSY
                || !(m_claim.IsHeld() ? LockForWritingDespiteReaders(descriptor, std::chrono::milliseconds(0))
                                      : TryLockForWriting(descriptor))) {
                close(descriptor);
                m_claim.Release();
                error = "another job is writing to it";
                return false;
            }
            // Locked, but perhaps after another job replaced the file under this name.
            if (CFileIdentity named;
                !IdentityAt(m_folder.Descriptor(), m_name, named) || !(named == IdentityOf(descriptor))) {
                close(descriptor);
                m_claim.Release();
                continue;
            }
            m_descriptor = descriptor;
            m_existing = true;
            return OpenExisting(error);
        }
        if (errno == ELOOP) {
            error = "it is a symbolic link, and archives are never written through links";
            return false;
        }
        if (errno != ENOENT) {
            error = Reason("it cannot be opened for writing", errno);
            return false;
        }
        const int created = CreatePartial(error);
        if (created == kCreated)
            return true;
        if (created != kBusy)
            return false;
    }
    error = "another job keeps changing it";
    return false;
}

bool CZipArchive::OpenExisting(std::string& error)
{
    if (!m_journal.RepairIfLeft(m_descriptor, m_repaired, error)) {
        Close();
        return false;
    }
    struct stat status { };
    if (fstat(m_descriptor, &status) != 0) {
        error = Reason("it cannot be read", errno);
        Close();
        return false;
    }
    const int descriptor = m_descriptor;
    const auto readAt = [descriptor](std::uint64_t offset, char* into, std::size_t size) {
        return ReadAllAt(descriptor, into, size, offset);
    };
    CZipDirectory existing;
    std::string damage;
    if (!ReadZipDirectory(readAt, static_cast<std::uint64_t>(status.st_size), existing, damage)) {
        error = "it is not a valid ZIP file: " + damage;
        Close();
        return false;
    }
    m_originalSize = static_cast<std::uint64_t>(status.st_size);
    m_dataEnd = existing.directoryOffset;
    m_directory = CZipCentralDirectory(existing);
    m_names.reserve(existing.entries.size());
    for (CZipEntryRecord& entry : existing.entries)
        m_names.emplace(entry.name, std::move(entry));
    return true;
}

int CZipArchive::CreatePartial(std::string& error)
{
    const int created = m_partial.Create(m_folder, m_name, true, 0666);
    if (created == EBUSY) {
        error = "another job is writing to it";
        return -1;
    }
    if (created != 0) {
        error = created == EEXIST ? "a file another user left where it is made is in the way"
                                  : Reason("it cannot be created", created);
        return -1;
    }
    // A job that finished this archive between our look and our claim has given it its name.
    if (CFileIdentity existing; IdentityAt(m_folder.Descriptor(), m_name, existing)) {
        m_partial.Close();
        return kBusy;
    }
    m_descriptor = m_partial.Descriptor();
    m_existing = false;
    return kCreated;
}

CZipArchive::Result CZipArchive::Add(int source, const std::string& name, const std::atomic<bool>& cancelled)
{
    if (m_existing && !m_journal.IsSaved() && !m_journal.Save(m_descriptor, m_dataEnd, m_originalSize))
        return Result::ArchiveFailed;
    CZipEntryRecord entry;
    std::uint64_t entryEnd = 0;
    const Result result = m_entryWriter.Write(source, name, m_descriptor, m_dataEnd, cancelled, entry, entryEnd);
    if (result == Result::Written) {
        m_directory.Add(entry);
        m_names.insert_or_assign(entry.name, entry);
        m_dataEnd = entryEnd;
    }
    return result;
}

bool CZipArchive::RemoveLast()
{
    if (AddedEntries().empty())
        return false;
    m_names.erase(AddedEntries().back().name);
    m_dataEnd = AddedEntries().back().localHeaderOffset;
    m_directory.RemoveLast();
    return ftruncate(m_descriptor, static_cast<off_t>(m_dataEnd)) == 0;
}

bool CZipArchive::Status(struct stat& status) const
{
    return m_descriptor >= 0 && fstat(m_descriptor, &status) == 0;
}

const CZipEntryRecord* CZipArchive::FindEntry(const std::string& name) const
{
    const auto found = m_names.find(name);
    return found == m_names.end() ? nullptr : &found->second;
}

void CZipArchive::LimitAccess(const std::function<void(int descriptor, unsigned mode)>& restrict)
{
    struct stat status { };
    if (m_descriptor < 0 || fstat(m_descriptor, &status) != 0)
        return;
    restrict(m_descriptor, m_existing ? status.st_mode : m_partial.RequestedMode());
}

bool CZipArchive::WriteDirectory()
{
    const std::string directory = m_directory.Encode(m_dataEnd);
    return WriteAllAt(m_descriptor, directory, m_dataEnd)
        && ftruncate(m_descriptor, static_cast<off_t>(m_dataEnd + directory.size())) == 0 && fsync(m_descriptor) == 0;
}

bool CZipArchive::Finish(std::string& error)
{
    if (m_descriptor < 0 || AddedEntries().empty()) {
        // Nothing was added: an existing archive is put back as it was (it stays open, so what it
        // already held can be verified), a new one is not made.
        if (m_existing && m_journal.IsSaved() && !m_journal.RollBack(m_descriptor)) {
            error = Reason("it cannot be put back as it was", errno);
            return false;
        }
        if (!m_existing)
            m_partial.Close();
        m_finished = true;
        return true;
    }
    if (!WriteDirectory()) {
        error = Reason("its central directory cannot be written", errno);
        Abandon();
        return false;
    }
    if (m_existing) {
        if (!m_journal.Discard()) {
            error = Reason("its journal cannot be removed", errno);
            Abandon();
            return false;
        }
    } else if (const int committed = m_partial.CommitAs(m_name); committed != 0) {
        error = committed == EEXIST ? "another file took its name meanwhile, and was left as it was"
                                    : Reason("it cannot take its name", committed);
        Abandon();
        return false;
    }
    m_finished = true;
    return true;
}

std::vector<std::optional<CVerifiedCopy>> CZipArchive::Verify(const std::vector<CZipEntryRecord>& entries) const
{
    if (m_descriptor < 0)
        return std::vector<std::optional<CVerifiedCopy>>(entries.size());
    return VerifyZipEntries(m_descriptor, entries);
}

bool CZipArchive::HoldsFile(const CZipEntryRecord& entry, int source) const
{
    return m_descriptor >= 0 && ZipEntryHoldsFile(m_descriptor, entry, source);
}

void CZipArchive::Abandon()
{
    if (m_descriptor < 0)
        return;
    // A roll-back that fails leaves the journal, and the next start repairs the archive from it.
    if (m_existing && m_journal.IsSaved())
        m_journal.RollBack(m_descriptor);
    Close();
}

void CZipArchive::Close()
{
    if (m_existing && m_descriptor >= 0)
        close(m_descriptor);
    m_partial.Close();
    m_claim.Release();
    m_descriptor = -1;
}

} // namespace qor

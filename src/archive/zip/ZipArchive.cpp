#include "archive/zip/ZipArchive.h"

#include "archive/zip/ZipFileIo.h"
#include "foundation/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

std::string Reason(const char* what)
{
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

// Another job on the same archive would interleave its entries with ours.
bool LockForWriting(int descriptor)
{
    return flock(descriptor, LOCK_EX | LOCK_NB) == 0;
}

// Never replaces a file that appeared under the target's name meanwhile, where the file system can
// promise that.
bool RenameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    return errno == EINVAL && std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace

CZipArchive::CZipArchive(std::string path)
    : m_path(std::move(path))
    , m_partialPath(m_path + ".partial")
    , m_journal(m_path)
{
}

CZipArchive::~CZipArchive()
{
    Abandon();
}

bool CZipArchive::Open(std::string& error)
{
    m_descriptor = OpenRegularFile(m_path, true);
    if (m_descriptor >= 0) {
        m_existing = true;
        return OpenExisting(error);
    }
    if (errno == ENOENT)
        return CreatePartial(error);
    error = errno == EINVAL ? "it is not a regular file" : Reason("it cannot be opened for writing");
    return false;
}

bool CZipArchive::OpenExisting(std::string& error)
{
    if (!LockForWriting(m_descriptor)) {
        error = "another job is writing to it";
        Close();
        return false;
    }
    if (!m_journal.RepairIfLeft(m_descriptor, m_repaired, error)) {
        Close();
        return false;
    }
    struct stat status { };
    if (fstat(m_descriptor, &status) != 0) {
        error = Reason("it cannot be read");
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
    return true;
}

bool CZipArchive::CreatePartial(std::string& error)
{
    m_descriptor = open(m_partialPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (m_descriptor < 0) {
        error = Reason("it cannot be created");
        return false;
    }
    if (!LockForWriting(m_descriptor)) {
        error = "another job is writing to it";
        Close();
        return false;
    }
    // What is there is what a dead run left, and a journal belongs to an archive that is gone.
    if (ftruncate(m_descriptor, 0) != 0 || !m_journal.Discard()) {
        error = Reason("it cannot be created");
        Abandon();
        return false;
    }
    return true;
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
        m_dataEnd = entryEnd;
    }
    return result;
}

bool CZipArchive::RemoveLast()
{
    if (AddedEntries().empty())
        return false;
    m_dataEnd = AddedEntries().back().localHeaderOffset;
    m_directory.RemoveLast();
    return ftruncate(m_descriptor, static_cast<off_t>(m_dataEnd)) == 0;
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
        Abandon();
        return true;
    }
    if (!WriteDirectory()) {
        error = Reason("its central directory cannot be written");
        Abandon();
        return false;
    }
    if (m_existing) {
        if (!m_journal.Discard()) {
            error = Reason("its journal cannot be removed");
            Abandon();
            return false;
        }
        Close();
        return true;
    }
    if (!RenameWithoutReplacing(m_partialPath, m_path) || !SyncFolderOf(m_path)) {
        error = Reason("it cannot take its name");
        Abandon();
        return false;
    }
    Close();
    return true;
}

void CZipArchive::Abandon()
{
    if (m_descriptor < 0)
        return;
    // A roll-back that fails leaves the journal, and the next run repairs the archive from it.
    if (m_existing && m_journal.IsSaved())
        m_journal.RollBack(m_descriptor);
    if (!m_existing)
        unlink(m_partialPath.c_str());
    Close();
}

void CZipArchive::Close()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
    m_descriptor = -1;
}

} // namespace qor

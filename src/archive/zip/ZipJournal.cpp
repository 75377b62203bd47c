#include "archive/zip/ZipJournal.h"

#include "archive/zip/ZipBytes.h"
#include "archive/zip/ZipFileIo.h"
#include "foundation/AtomicFile.h"
#include "foundation/DataFolders.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace qor {
namespace {

constexpr std::string_view kMagic = "QORZJNL2";
// magic, device, inode, birth time, original size, tail offset, path length
constexpr std::size_t kFixedSize = 8 + 8 + 8 + 8 + 8 + 8 + 8;
constexpr std::size_t kChecksumSize = 4;
constexpr std::uint64_t kLargestJournal = std::uint64_t{ 1 } << 32;

std::uint32_t Checksum(std::string_view bytes)
{
    uLong crc = crc32(0, Z_NULL, 0);
    // crc32_z takes the whole length at once, however long the tail.
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
    return static_cast<std::uint32_t>(crc);
}

} // namespace

CZipJournal::CZipJournal(std::string archivePath)
    : m_archivePath(std::move(archivePath))
{
}

std::string CZipJournal::Folder(bool create)
{
    return GetPrivateStateFolder("journals", create);
}

// Which file a journal belongs to: a journal must never be applied to another file that later took
// the archive's name, even one that was given the same inode number.
bool CZipJournal::IdentityOf(int archive, CIdentity& identity)
{
    struct statx status { };
    if (statx(archive, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &status) != 0)
        return false;
    identity.device = (std::uint64_t{ status.stx_dev_major } << 32) | status.stx_dev_minor;
    identity.inode = status.stx_ino;
    identity.birth = (status.stx_mask & STATX_BTIME)
        ? static_cast<std::uint64_t>(status.stx_btime.tv_sec) * 1'000'000'000 + status.stx_btime.tv_nsec
        : 0;
    return true;
}

bool CZipJournal::Bind(int archive)
{
    const std::string folder = Folder(true);
    if (folder.empty() || !IdentityOf(archive, m_identity))
        return false;
    m_path = folder + std::to_string(m_identity.device) + "-" + std::to_string(m_identity.inode) + ".journal";
    return true;
}

bool CZipJournal::RepairIfLeft(int archive, bool& repaired, std::string& error)
{
    repaired = false;
    if (!Bind(archive)) {
        error = "its journal folder " + Folder(false) + " cannot be used";
        return false;
    }
    const CIdentity archiveIdentity = m_identity;
    const std::string journalPath = m_path;
    std::string content;
    if (!ReadWholeFile(journalPath, content, kLargestJournal)) {
        if (errno == ENOENT)
            return true;
        error = "its journal " + journalPath + " cannot be read";
        return false;
    }
    if (!Parse(content)) {
        error = "its journal " + journalPath + " is damaged";
        return false;
    }
    m_path = journalPath;
    if (!(m_identity == archiveIdentity)) {
        // The inode number was used again for another file: the journal's own file is gone.
        QOR_LOG("Archiver: ZIP journal %s belongs to a file no longer there; removed\n", journalPath.c_str());
        m_identity = archiveIdentity;
        return Discard();
    }
    if (!Restore(archive)) {
        error = "it cannot be repaired from its journal " + journalPath;
        return false;
    }
    repaired = true;
    return true;
}

bool CZipJournal::Load(const std::string& journalPath)
{
    std::string content;
    m_path = journalPath;
    return ReadWholeFile(journalPath, content, kLargestJournal) && Parse(content);
}

bool CZipJournal::Parse(const std::string& content)
{
    if (content.size() < kFixedSize + kChecksumSize || std::string_view(content).substr(0, kMagic.size()) != kMagic)
        return false;
    const std::string_view checked(content.data(), content.size() - kChecksumSize);
    if (Get32(content.data() + checked.size()) != Checksum(checked))
        return false;
    m_identity = { Get64(content.data() + 8), Get64(content.data() + 16), Get64(content.data() + 24) };
    m_originalSize = Get64(content.data() + 32);
    m_tailOffset = Get64(content.data() + 40);
    const std::uint64_t pathLength = Get64(content.data() + 48);
    if (pathLength > checked.size() - kFixedSize)
        return false;
    m_archivePath = content.substr(kFixedSize, pathLength);
    m_tail = content.substr(kFixedSize + pathLength, checked.size() - kFixedSize - pathLength);
    return m_tailOffset <= m_originalSize && m_originalSize - m_tailOffset == m_tail.size();
}

bool CZipJournal::Save(int archive, std::uint64_t tailOffset, std::uint64_t fileSize)
{
    if (!Bind(archive))
        return false;
    m_originalSize = fileSize;
    m_tailOffset = tailOffset;
    m_tail.assign(fileSize - tailOffset, '\0');
    if (!ReadAllAt(archive, m_tail.data(), m_tail.size(), tailOffset))
        return false;
    std::string content(kMagic);
    Put64(content, m_identity.device);
    Put64(content, m_identity.inode);
    Put64(content, m_identity.birth);
    Put64(content, m_originalSize);
    Put64(content, m_tailOffset);
    Put64(content, m_archivePath.size());
    content += m_archivePath;
    content += m_tail;
    Put32(content, Checksum(content));

    const std::string temporary = m_path + ".tmp";
    // Made afresh and only by us: the folder is private, and nothing already there is written into.
    unlink(temporary.c_str());
    const int journal = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (journal < 0)
        return false;
    const bool written = WriteAllAt(journal, content, 0) && fsync(journal) == 0;
    const bool closed = close(journal) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), m_path.c_str()) != 0 || SyncFolderOf(m_path) != 0) {
        unlink(temporary.c_str());
        unlink(m_path.c_str());
        return false;
    }
    m_saved = true;
    return true;
}

bool CZipJournal::PutBack(int archive) const
{
    // Cutting first frees the space the run took, so putting the old tail back cannot run out of it.
    return ftruncate(archive, static_cast<off_t>(m_tailOffset)) == 0 && WriteAllAt(archive, m_tail, m_tailOffset)
        && ftruncate(archive, static_cast<off_t>(m_originalSize)) == 0 && fsync(archive) == 0;
}

bool CZipJournal::Restore(int archive)
{
    // What is put back must be the end of a ZIP file, with its directory's end record.
    if (m_tail.find(std::string_view("PK\x05\x06", 4)) == std::string::npos)
        return false;
    return PutBack(archive) && Discard();
}

bool CZipJournal::RollBack(int archive)
{
    return m_saved && Restore(archive);
}

bool CZipJournal::Discard()
{
    if (m_path.empty())
        return true;
    if (unlink(m_path.c_str()) != 0 && errno != ENOENT)
        return false;
    m_saved = false;
    return SyncFolderOf(m_path) == 0;
}

} // namespace qor

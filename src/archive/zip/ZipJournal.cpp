#include "archive/zip/ZipJournal.h"

#include "archive/zip/ZipBytes.h"
#include "archive/zip/ZipFileIo.h"
#include "foundation/AtomicFile.h"
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

constexpr std::string_view kMagic = "QORZJNL1";
// magic, device, inode, birth time, original size, tail offset
constexpr std::size_t kFixedSize = 8 + 8 + 8 + 8 + 8 + 8;
constexpr std::size_t kChecksumSize = 4;

std::uint32_t Checksum(std::string_view bytes)
{
    uLong crc = crc32(0, Z_NULL, 0);
    // crc32_z takes the whole length at once, however long the tail.
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
    return static_cast<std::uint32_t>(crc);
}

// Which file a journal belongs to: a journal must never be applied to another file that later took
// the archive's name, even one that was given the same inode number.
bool IdentityOf(int archive, CZipJournal::CIdentity& identity)
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

} // namespace

CZipJournal::CZipJournal(const std::string& archivePath)
    : m_path(archivePath + ".journal")
    , m_temporaryPath(archivePath + ".journal.tmp")
{
}

bool CZipJournal::RepairIfLeft(int archive, bool& repaired, std::string& error)
{
    repaired = false;
    // A journal that never took its name was never relied on: the archive was not touched yet.
    unlink(m_temporaryPath.c_str());
    std::string content;
    if (!ReadWholeFile(m_path, content)) {
        if (errno == ENOENT)
            return true;
        error = "its journal " + m_path + " cannot be read";
        return false;
    }
    CIdentity identity;
    if (!Parse(content) || !IdentityOf(archive, identity)) {
        error = "its journal " + m_path + " is damaged";
        return false;
    }
    const bool ofThisFile = identity == m_identity;
    if (!ofThisFile)
        QOR_LOG("Archiver: ZIP journal %s belongs to a file no longer there; removed\n", m_path.c_str());
    if ((ofThisFile && !Restore(archive)) || !Discard()) {
        error = "it cannot be repaired from its journal " + m_path;
        return false;
    }
    repaired = ofThisFile;
    return true;
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
    m_tail = content.substr(kFixedSize, checked.size() - kFixedSize);
    return m_tailOffset <= m_originalSize && m_originalSize - m_tailOffset == m_tail.size();
}

bool CZipJournal::Save(int archive, std::uint64_t tailOffset, std::uint64_t fileSize)
{
    m_originalSize = fileSize;
    m_tailOffset = tailOffset;
    m_tail.assign(fileSize - tailOffset, '\0');
    if (!IdentityOf(archive, m_identity) || !ReadAllAt(archive, m_tail.data(), m_tail.size(), tailOffset))
        return false;
    std::string content(kMagic);
    Put64(content, m_identity.device);
    Put64(content, m_identity.inode);
    Put64(content, m_identity.birth);
    Put64(content, m_originalSize);
    Put64(content, m_tailOffset);
    content += m_tail;
    Put32(content, Checksum(content));

    const int journal = open(m_temporaryPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (journal < 0)
        return false;
    const bool written = WriteAllAt(journal, content, 0) && fsync(journal) == 0;
    const bool closed = close(journal) == 0;
    if (!written || !closed || std::rename(m_temporaryPath.c_str(), m_path.c_str()) != 0 || !SyncFolderOf(m_path)) {
        unlink(m_temporaryPath.c_str());
        unlink(m_path.c_str());
        return false;
    }
    m_saved = true;
    return true;
}

bool CZipJournal::Restore(int archive) const
{
    // Cutting first frees the space the run took, so putting the old tail back cannot run out of it.
    return ftruncate(archive, static_cast<off_t>(m_tailOffset)) == 0 && WriteAllAt(archive, m_tail, m_tailOffset)
        && ftruncate(archive, static_cast<off_t>(m_originalSize)) == 0 && fsync(archive) == 0;
}

bool CZipJournal::RollBack(int archive)
{
    return m_saved && Restore(archive) && Discard();
}

bool CZipJournal::Discard()
{
    unlink(m_temporaryPath.c_str());
    if (unlink(m_path.c_str()) != 0 && errno != ENOENT)
        return false;
    m_saved = false;
    return SyncFolderOf(m_path);
}

} // namespace qor

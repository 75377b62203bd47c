#include "archive/OriginalRemover.h"

#include "archive/NumberedName.h"
#include "archive/PartialFile.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"
#include "foundation/RegularFile.h"
#include "foundation/TrustedFolder.h"
#include "recording/RecordFileHdr.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

// The original open and leased for as long as it is being changed.
class CHeldOriginal {
public:
    CHeldOriginal(const std::string& path, std::chrono::seconds quiet)
        : m_path(path)
        , m_name(FileNameOf(path))
        , m_quietNs(std::chrono::duration_cast<std::chrono::nanoseconds>(quiet).count())
    {
    }
    ~CHeldOriginal()
    {
        if (m_descriptor < 0)
            return;
        if (m_leased)
            fcntl(m_descriptor, F_SETLEASE, F_UNLCK);
        close(m_descriptor);
    }
    CHeldOriginal(const CHeldOriginal&) = delete;
    CHeldOriginal& operator=(const CHeldOriginal&) = delete;

    COriginalChange Take(const CVerifiedCopy& copy)
    {
        // Every later step is taken in this folder, so a folder on the way swapped for a link
        // meanwhile leads nowhere.
        if (!OpenTrustedFolder(FolderOf(m_path), m_folder))
            return errno == ENOENT ? COriginalChange::Vanished : COriginalChange::Failed;
        struct stat link { };
        if (fstatat(m_folder.Descriptor(), m_name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? COriginalChange::Vanished : COriginalChange::Failed;
        if (S_ISLNK(link.st_mode))
            return COriginalChange::Link;
        m_descriptor
            = openat(m_folder.Descriptor(), m_name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (m_descriptor < 0 || fstat(m_descriptor, &m_status) != 0 || !S_ISREG(m_status.st_mode))
            return COriginalChange::Failed;
        // Only the very file the copy was made from, not another that took its name since.
        if (!(IdentityOf(m_descriptor) == copy.originalIdentity))
            return COriginalChange::Changed;
        // A lease is granted only while no other program has the file open. Its break notice, should
        // one come, is a signal whose default is to be ignored.
        fcntl(m_descriptor, F_SETSIG, SIGURG);
        m_leased = fcntl(m_descriptor, F_SETLEASE, F_WRLCK) == 0;
        if (!m_leased && errno == EAGAIN)
            return COriginalChange::InUse;
        // Another account's recorder may write the call without a lease ever telling us, and
        // without a lease nobody tells: then only a call that has stayed the same will do.
        m_watchStamp = !m_leased || m_status.st_uid != geteuid();
        if (m_watchStamp) {
            m_stamp = StampOf(m_descriptor);
            if (copy.originalStamp.quietNs < m_quietNs || !Unchanged(copy.originalStamp, m_stamp))
                return COriginalChange::StillWritten;
        }
        if (!ContainerStillThere(copy))
            return COriginalChange::ArchiveGone;
        return FileMatchesCopy(m_descriptor, copy) ? COriginalChange::Done : COriginalChange::Changed;
    }

    // False once another program has opened the file since it was taken, or (without a lease)
    // written to it; a rename changes only the change time.
    bool Undisturbed() const
    {
        if (m_watchStamp) {
            const COriginalStamp now = StampOf(m_descriptor);
            if (now.size != m_stamp.size || now.modifiedNs != m_stamp.modifiedNs)
                return false;
        }
        return !m_leased || fcntl(m_descriptor, F_GETLEASE) == F_WRLCK;
    }

    int Descriptor() const { return m_descriptor; }
    CFileIdentity Identity() const { return IdentityOf(m_descriptor); }
    mode_t Mode() const { return m_status.st_mode & 07777; }
    const CFolderHandle& Folder() const { return m_folder; }
    const std::string& Name() const { return m_name; }

private:
    std::string m_path;
    std::string m_name;
    CFolderHandle m_folder;
    std::int64_t m_quietNs;
    int m_descriptor = -1;
    bool m_leased = false;
    bool m_watchStamp = false;
    COriginalStamp m_stamp;
    struct stat m_status { };
};

std::string HiddenName()
{
    std::random_device random;
    char name[32];
    std::snprintf(name, sizeof name, ".qor-%08x%08x.removing", random(), random());
    return name;
}

// Gives a file moved aside its name back, or a numbered one when a new file took the name meanwhile;
// never a hidden name that nobody would look for.
void PutBack(const CHeldOriginal& original, const std::string& aside)
{
    const int at = original.Folder().Descriptor();
    std::string name = original.Name();
    for (int number = 2; number < 1000; ++number) {
        if (renameat2(at, aside.c_str(), at, name.c_str(), RENAME_NOREPLACE) == 0) {
            if (name != original.Name())
                QOR_LOG("Archiver: File %s was taken meanwhile; the call is kept as %s\r\n",
                    original.Folder().PathOf(original.Name()).c_str(), original.Folder().PathOf(name).c_str());
            return;
        }
        if (errno != EEXIST)
            break;
        name = NumberedName(original.Name(), number);
    }
    QOR_LOG("Archiver: File %s could not be put back; it is kept as %s\r\n",
        original.Folder().PathOf(original.Name()).c_str(), original.Folder().PathOf(aside).c_str());
}

} // namespace

COriginalChange DeleteOriginal(const std::string& path, const CVerifiedCopy& copy, std::chrono::seconds quiet)
{
    CHeldOriginal original(path, quiet);
    if (const COriginalChange taken = original.Take(copy); taken != COriginalChange::Done)
        return taken;
    const int at = original.Folder().Descriptor();
    // Moved aside first, so that it can be put back if anything opened it meanwhile.
    const std::string aside = HiddenName();
    if (renameat2(at, original.Name().c_str(), at, aside.c_str(), RENAME_NOREPLACE) != 0)
        return COriginalChange::Failed;
    CFileIdentity moved;
    const bool same = IdentityAt(at, aside, moved) && moved == original.Identity();
    if (!same || !original.Undisturbed()) {
        PutBack(original, aside);
        return same ? COriginalChange::InUse : COriginalChange::Changed;
    }
    if (unlinkat(at, aside.c_str(), 0) != 0)
        return COriginalChange::Failed;
    original.Folder().Sync();
    return COriginalChange::Done;
}

COriginalChange StripOriginal(
    const std::string& path, const CVerifiedCopy& copy, const std::string& passphrase, std::chrono::seconds quiet)
{
    CHeldOriginal original(path, quiet);
    if (const COriginalChange taken = original.Take(copy); taken != COriginalChange::Done)
        return taken;
    const std::vector<std::uint8_t> header = CRvRecordFileHdr().HeaderOnly(original.Descriptor(), passphrase);
    if (header.empty())
        return COriginalChange::Unreadable;
    CPartialFile stripped;
    if (stripped.Create(original.Folder(), original.Name(), false, original.Mode()) != 0)
        return COriginalChange::Failed;
    std::size_t written = 0;
    while (written < header.size()) {
        const ssize_t count = write(stripped.Descriptor(), header.data() + written, header.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return COriginalChange::Failed;
        written += static_cast<std::size_t>(count);
    }
    if (fchmod(stripped.Descriptor(), original.Mode()) != 0 || fsync(stripped.Descriptor()) != 0)
        return COriginalChange::Failed;
    const int replaced
        = stripped.Replace(original.Name(), original.Identity(), [&original] { return original.Undisturbed(); });
    if (replaced == EAGAIN)
        return COriginalChange::InUse;
    if (replaced == EBUSY)
        return COriginalChange::Changed;
    return replaced == 0 ? COriginalChange::Done : COriginalChange::Failed;
}

bool AnotherAccountStillWrites(const std::string& path, const CVerifiedCopy& copy, std::chrono::seconds quiet)
{
    const int descriptor = OpenRegularFile(path);
    if (descriptor < 0)
        return false;
    struct stat status { };
    const bool theirs = fstat(descriptor, &status) == 0 && status.st_uid != geteuid();
    const bool quietSince = copy.originalStamp.quietNs >= std::chrono::nanoseconds(quiet).count()
        && Unchanged(copy.originalStamp, StampOf(descriptor));
    close(descriptor);
    return theirs && !quietSince;
}

const char* OriginalChangeText(COriginalChange change)
{
    switch (change) {
    case COriginalChange::Done:
        return "done";
    case COriginalChange::Link:
        return "it is a symbolic link, and what it points to is left alone";
    case COriginalChange::InUse:
        return "another program has it open (a recorder still writing it?)";
    case COriginalChange::Changed:
        return "it changed after it was archived";
    case COriginalChange::ArchiveGone:
        return "the archive that held its copy is gone";
    case COriginalChange::Unreadable:
        return "its header cannot be read (an encrypted call without its passphrase?)";
    case COriginalChange::StillWritten:
        return "still being written: another account's call changes only once it has stayed the same for two "
               "minutes";
    case COriginalChange::Vanished:
        return "the original vanished before it could be changed; its copy stays in the archive";
    case COriginalChange::CopyExposed:
        return "its copy lies where another user could change or remove it";
    case COriginalChange::CopyOpenForWriting:
        return "a program (perhaps another user's) has the file that holds its copy open for writing";
    case COriginalChange::CopyNotIntact:
        return "its archive, as it is now, does not read its copy back intact";
    case COriginalChange::ArchiveBusy:
        return "another job was writing its archive, so its copy could not be checked once more";
    case COriginalChange::RunIncomplete:
        return "the archive run did not complete";
    case COriginalChange::Failed:
        break;
    }
    return "it could not be changed";
}

} // namespace qor

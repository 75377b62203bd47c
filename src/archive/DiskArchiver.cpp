#include "archive/DiskArchiver.h"

#include "archive/ContentCompare.h"
#include "archive/CopyRecheck.h"
#include "archive/NumberedName.h"
#include "archive/PartialFile.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"
#include "foundation/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr std::size_t kBlock = 262'144;
constexpr int kMostNumbers = 10'000;

// The folder's pieces joined by "/", with empty, "." and ".." pieces left out, so a copy can
// never land outside the archive's folder.
std::string SafeFolder(const std::string& folder)
{
    std::string safe;
    std::size_t start = 0;
    while (start <= folder.size()) {
        const auto slash = std::min(folder.find('/', start), folder.size());
        std::string piece = folder.substr(start, slash - start);
        while (!piece.empty() && piece.back() == ' ')
            piece.pop_back();
        if (!piece.empty() && piece != "." && piece != "..")
            safe += (safe.empty() ? "" : "/") + piece;
        start = slash + 1;
    }
    return safe;
}

// Errors that will hit every later copy too: the archive's disk or folder, not one call.
bool StopsTheJob(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EROFS || error == EIO || error == ENOENT;
}

bool CopyContent(int from, int to)
{
    // copy_file_range lets the file system copy without the data passing through us.
    for (;;) {
        const ssize_t copied = copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0)
            return true;
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        break;
    }
    auto buffer = std::make_unique<char[]>(kBlock);
    for (;;) {
        const ssize_t got = read(from, buffer.get(), kBlock);
        if (got == 0)
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer.get() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
    }
}

// What is at a destination name: nothing, the original itself, the same call, or another file.
enum class Occupant { None, Original, SameCall, Other };

Occupant OccupantOf(const CFolderHandle& folder, const std::string& name, int source)
{
    struct stat status { };
    if (fstatat(folder.Descriptor(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Occupant::None : Occupant::Other;
    if (!S_ISREG(status.st_mode))
        return Occupant::Other;
    const CFileIdentity occupant{ static_cast<std::uint64_t>(status.st_dev),
        static_cast<std::uint64_t>(status.st_ino) };
    if (occupant == IdentityOf(source))
        return Occupant::Original;
    // The same bytes in a file another user made, or could once write, are no copy of ours: he
    // could remove or change it once the original is gone.
    if (!OnlyWeCanChange(status))
        return Occupant::Other;
    const int descriptor
        = openat(folder.Descriptor(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return Occupant::Other;
    const bool same = SameContent(FileReader(source), FileReader(descriptor));
    close(descriptor);
    return same ? Occupant::SameCall : Occupant::Other;
}

// Why the folder piece in base cannot be had, after opening it as ours failed: what stands in the
// way ("it is reached through another user's link"), or for a folder that is there but no place
// for copies (EACCES), what is wrong with it ("belongs to another user, ...").
std::string FolderProblem(const CFolderHandle& base, const std::string& piece, int error)
{
    if (error == EPERM)
        return "it is reached through another user's link";
    struct stat status { };
    if (error != EACCES || fstatat(base.Descriptor(), piece.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return std::strerror(error);
    if (status.st_uid != geteuid() && status.st_uid != 0)
        return "belongs to another user, who could remove the copies in it";
    return "can be changed by others: their group or everybody may write it, and it is not sticky";
}

} // namespace

CDiskArchiver::CDiskArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages)
    : IArchiver(messages)
    , m_progress(std::move(progress))
{
}

int CDiskArchiver::Add(
    const std::string& target, const std::string& source, const std::string& folder, std::int64_t startTime)
{
    m_queue.push_back({ target, source, SafeFolder(folder), startTime });
    return 0;
}

int CDiskArchiver::Cancel()
{
    m_running = false;
    return 0;
}

void CDiskArchiver::Reset()
{
    IArchiver::Reset();
    m_copied.clear();
    m_verified.clear();
    m_refusedFolders.clear();
    m_running = false;
}

int CDiskArchiver::Write()
{
    m_running = true;
    int result = 0;
    const std::size_t total = m_queue.size();
    std::size_t done = 0;
    for (auto call = m_queue.begin(); call != m_queue.end(); ++call) {
        if (!m_running)
            break;
        if (ThresholdReached()) {
            m_leftOut.insert(call->source);
            continue;
        }
        CCopied copied;
        const Outcome outcome = CopyOne(*call, copied);
        if (outcome == Outcome::Stop) {
            for (auto rest = std::next(call); rest != m_queue.end(); ++rest)
                NotArchived(rest->source, "it was not copied: the job stopped at the failure above");
            result = kFailed;
            break;
        }
        if (outcome == Outcome::Skipped) {
            result = kFailed;
        } else {
            ++m_count;
            m_copied.push_back(std::move(copied));
        }
        ++done;
        if (m_progress)
            m_progress(static_cast<double>(done) * 100.0 / static_cast<double>(total));
    }
    m_queue.clear();
    m_folders.clear();
    m_refusedFolders.clear();
    m_running = false;
    VerifyCopies();
    return result;
}

void CDiskArchiver::VerifyCopies()
{
    if (m_copied.empty())
        return;
    // Once everything is on disk, each copy is read back from the disk and compared with its
    // original: only a call whose copy is known to be intact may later be deleted or stripped.
    const int anyCopy = open(m_copied.front().copy.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    const bool flushed = anyCopy >= 0 && syncfs(anyCopy) == 0;
    const int error = errno;
    if (anyCopy >= 0)
        close(anyCopy);
    if (!flushed) {
        ReportError("The copies in " + FolderOf(m_copied.front().copy) + " cannot be flushed to disk ("
            + std::strerror(error) + "); no original counts as archived.");
        return;
    }
    for (const CCopied& copied : m_copied) {
        const int copy = open(copied.copy.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        const int original = OpenRegularFile(copied.source);
        const bool vanished = original < 0 && errno == ENOENT;
        CVerifiedCopy sum;
        bool intact = false;
        // Read back only from the very files copied, whatever took their names meanwhile.
        if (copy >= 0 && IdentityOf(copy) == copied.copyIdentity && !(copied.copyIdentity == copied.sourceIdentity)) {
            posix_fadvise(copy, 0, 0, POSIX_FADV_DONTNEED);
            if (original >= 0 && IdentityOf(original) == copied.sourceIdentity)
                intact = SameContent(FileReader(copy), FileReader(original), &sum);
            // Another program took the original away since it was copied: the copy, flushed and
            // read back whole, is all that is left of the call, and is kept as its copy.
            else if (vanished)
                intact = DigestOfFile(copy, sum);
        }
        if (intact) {
            sum.container = copied.copy;
            sum.containerIdentity = copied.copyIdentity;
            sum.originalIdentity = copied.sourceIdentity;
            m_verified[copied.source] = sum;
        } else {
            ReportError("The copy " + copied.copy + " of " + copied.source
                + " did not read back intact; the original is kept.");
        }
        if (copy >= 0)
            close(copy);
        if (original >= 0)
            close(original);
    }
}

const CFolderHandle* CDiskArchiver::MakeFolders(const CPending& call, bool& stop)
{
    stop = false;
    std::string root = call.root;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    std::vector<std::pair<std::string, std::string>> levels; // the level's path, and its last piece
    levels.emplace_back(root, std::string(FileNameOf(root)));
    for (std::size_t start = 0; start < call.folder.size();) {
        const auto slash = std::min(call.folder.find('/', start), call.folder.size());
        levels.emplace_back(root + "/" + call.folder.substr(0, slash), call.folder.substr(start, slash - start));
        start = slash + 1;
    }
    const CFolderHandle* above = nullptr;
    CFolderHandle rootParent;
    for (const auto& [level, piece] : levels) {
        if (auto known = m_folders.find(level); known != m_folders.end()) {
            above = &known->second;
            continue;
        }
        if (auto refused = m_refusedFolders.find(level); refused != m_refusedFolders.end()) {
            NotArchived(call.source, "the archive folder " + level + " " + refused->second);
            return nullptr;
        }
        // The archive's own folder is made only where its parent is: a missing parent is a drive
        // not mounted, and no copy belongs on the disk beneath.
        if (!above && !OpenTrustedFolder(FolderOf(root), rootParent)) {
            ReportError("Cannot create the archive folder " + level + ": "
                + (errno == EPERM ? std::string("it is reached through another user's link") : std::strerror(errno)));
            stop = true;
            return nullptr;
        }
        // Every folder a copy lies in is ours (or root's), and nobody else may remove or rename
        // what is in it: one another user made first, even empty, is no place for the only copy.
        const CFolderHandle& base = above ? *above : rootParent;
        CFolderHandle folder;
        if (!OpenTrustedSubfolder(
                base, piece, folder, CFolderWay{ .makeMissing = true, .folderMode = 0755, .ownFoldersOnly = true })) {
            const int error = errno;
            const std::string why = FolderProblem(base, piece, error);
            if (error != EACCES) {
                ReportError("Cannot create the archive folder " + level + ": " + why);
                stop = true;
                return nullptr;
            }
            ReportError("No call is archived into " + level + ": it " + why + ".");
            m_refusedFolders.emplace(level, why);
            NotArchived(call.source, "the archive folder " + level + " " + why);
            return nullptr;
        }
        // Partial copies a killed run left here are removed the first time the job comes by.
        RemoveStalePartials(folder);
        above = &m_folders.emplace(level, std::move(folder)).first->second;
    }
    return above;
}

CDiskArchiver::Outcome CDiskArchiver::CopyOne(const CPending& call, CCopied& copied)
{
    bool stop = false;
    const CFolderHandle* folder = MakeFolders(call, stop);
    if (!folder)
        return stop ? Outcome::Stop : Outcome::Skipped;
    CFileStatus status;
    const int source = OpenRegularFile(call.source, false, &status);
    if (source < 0) {
        const int error = errno;
        ReportError("Cannot copy " + call.source + ": " + std::strerror(error));
        NotArchived(call.source,
            error == ENOENT ? "it vanished before it could be copied"
                            : std::string("it cannot be read (") + std::strerror(error) + ")");
        return Outcome::Skipped;
    }
    copied.source = call.source;
    copied.sourceIdentity = IdentityOf(source);
    const std::string ownName(FileNameOf(call.source));
    std::string name = ownName;
    Outcome outcome = Outcome::Skipped;
    CPartialFile partial;
    int number = 2;
    while (number < kMostNumbers) {
        const std::string copy = folder->PathOf(name);
        copied.copy = copy;
        const Occupant occupant = OccupantOf(*folder, name, source);
        if (occupant == Occupant::Original) {
            ReportError("Not copied: " + copy
                + " is the original itself (the archive folder lies among the "
                  "folders archived).");
            NotArchived(call.source, "the archive folder lies among the folders archived");
            break;
        }
        if (occupant == Occupant::SameCall) {
            QOR_LOG("Archiver: CopyFile %s is already in %s\r\n", call.source.c_str(), copy.c_str());
            outcome = IdentityAt(folder->Descriptor(), name, copied.copyIdentity) ? Outcome::Copied : Outcome::Skipped;
            break;
        }
        if (occupant == Occupant::Other) {
            name = NumberedName(ownName, number++);
            continue;
        }
        QOR_LOG("Archiver: CopyFile %s -> %s\r\n", call.source.c_str(), copy.c_str());
        if (!partial.IsOpen()) {
            const timespec times[2]
                = { { static_cast<time_t>(call.startTime), 0 }, { static_cast<time_t>(call.startTime), 0 } };
            // The copy keeps the original's permissions and group, so a private recording stays
            // private (whatever group a setgid folder gives new files), but nobody else may ever
            // write it: once the original is gone it is the only copy.
            struct stat original { };
            const int created = partial.Create(*folder, name, false, 0600);
            errno = created;
            if (created != 0 || fstat(source, &original) != 0
                || !GiveAccess(partial.Descriptor(), status.mode & 0755u, original.st_gid)
                || !CopyContent(source, partial.Descriptor()) || futimens(partial.Descriptor(), times) != 0) {
                const int error = errno;
                ReportError("Cannot copy " + call.source + " to " + copy + ": " + std::strerror(error));
                NotArchived(call.source, std::string("it could not be copied (") + std::strerror(error) + ")");
                outcome = StopsTheJob(error) ? Outcome::Stop : Outcome::Skipped;
                break;
            }
        }
        const int committed = partial.CommitAs(name);
        if (committed == EEXIST)
            continue; // another job put a file there meanwhile: look at it again
        if (committed != 0) {
            ReportError("Cannot copy " + call.source + " to " + copy + ": " + std::strerror(committed));
            NotArchived(call.source, std::string("it could not be copied (") + std::strerror(committed) + ")");
            outcome = StopsTheJob(committed) ? Outcome::Stop : Outcome::Skipped;
            break;
        }
        copied.copyIdentity = IdentityOf(partial.Descriptor());
        m_made.push_back({ copy, copied.copyIdentity });
        m_sizeBytes += status.size;
        outcome = Outcome::Copied;
        break;
    }
    if (number >= kMostNumbers)
        NotArchived(call.source, "every name it could take in " + folder->Path() + " is taken by other files");
    close(source);
    return outcome;
}

} // namespace qor

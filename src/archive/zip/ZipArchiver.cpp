#include "archive/zip/ZipArchiver.h"

#include "archive/NumberedName.h"
#include "archive/zip/ZipEntryName.h"
#include "archive/zip/ZipVerifier.h"
#include "foundation/Logger.h"
#include "foundation/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

std::string ErrnoText(int error)
{
    return error == EINVAL ? "not a regular file" : std::strerror(error);
}

// Whether some who may read the archive may not read the call.
bool ReadByMore(const struct stat& archive, const struct stat& call)
{
    if ((call.st_mode & S_IROTH) != 0)
        return false;
    return (archive.st_mode & S_IROTH) != 0
        || ((archive.st_mode & S_IRGRP) != 0 && ((call.st_mode & S_IRGRP) == 0 || call.st_gid != archive.st_gid));
}

} // namespace

CZIPArchiver::CZIPArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages)
    : IArchiver(messages)
    , m_progress(std::move(progress))
{
}

int CZIPArchiver::Add(const std::string& target, const std::string& source, const std::string& folder, std::int64_t)
{
    m_queue.push_back({ target, source, folder });
    return 0;
}

int CZIPArchiver::Cancel()
{
    m_cancelled = true;
    return 0;
}

int CZIPArchiver::Write()
{
    std::vector<CQueuedCall> queue;
    queue.swap(m_queue);
    m_sizeBytes = 0;
    m_verified.clear();
    int written = 0;
    int result = 0;
    std::size_t done = 0;
    COpenArchive open;
    std::size_t stoppedAt = queue.size();
    for (std::size_t index = 0; index < queue.size(); ++index) {
        const CQueuedCall& call = queue[index];
        if (m_cancelled) {
            result = kCancelled;
            stoppedAt = index;
            break;
        }
        if (!open.archive || open.archive->Path() != call.target) {
            if ((open.archive && !FinishArchive(open, written)) || !OpenArchive(call.target, open)) {
                result = kFailed;
                stoppedAt = index;
                break;
            }
        }
        const Outcome outcome = AddCall(call, open);
        if (outcome == Outcome::Failed || outcome == Outcome::Cancelled) {
            result = outcome == Outcome::Failed ? kFailed : kCancelled;
            stoppedAt = index;
            break;
        }
        // A call that cannot be read is named and left out; the others still go in.
        if (outcome == Outcome::Skipped)
            result = kFailed;
        if (outcome == Outcome::Kept || outcome == Outcome::AlreadyThere) {
            ++m_count;
            ++written;
        }
        ++done;
        if (m_progress)
            m_progress(static_cast<double>(done) * 100.0 / static_cast<double>(queue.size()));
    }
    for (std::size_t index = stoppedAt; index < queue.size(); ++index)
        if (!WhyNotArchived().contains(queue[index].source))
            NotArchived(queue[index].source,
                result == kCancelled ? "the job was cancelled before it was archived"
                                     : "the archive could not be written (see above)");
    if (open.archive && !FinishArchive(open, written))
        result = kFailed;
    return result == 0 ? written : result;
}

bool CZIPArchiver::OpenArchive(const std::string& target, COpenArchive& open)
{
    auto archive = std::make_unique<CZipArchive>(target);
    std::string error;
    if (!archive->Open(error)) {
        ReportError("The archive " + target + " was left unchanged: " + error + ".");
        return false;
    }
    if (archive->WasRepaired())
        QOR_LOG("Archiver: ZIP %s repaired from the journal of an interrupted run\n", target.c_str());
    open.archive = std::move(archive);
    open.sources.clear();
    open.present.clear();
    open.read.clear();
    return true;
}

CZIPArchiver::Outcome CZIPArchiver::AddCall(const CQueuedCall& call, COpenArchive& open)
{
    CZipArchive& archive = *open.archive;
    const std::string name = MakeZipEntryName(call.folder, call.source);
    const int source = name.empty() ? -1 : OpenRegularFile(call.source);
    if (source < 0) {
        const std::string why = name.empty() ? std::string("it has no file name") : ErrnoText(errno);
        ReportError("The call " + call.source + " cannot be added to the archive " + call.target + " (" + why + ").");
        NotArchived(call.source,
            errno == ENOENT ? "it vanished before it could be archived" : "it cannot be read (" + why + ")");
        return Outcome::Skipped;
    }
    struct stat status { };
    if (fstat(source, &status) != 0) {
        close(source);
        NotArchived(call.source, "it cannot be read (" + ErrnoText(errno) + ")");
        return Outcome::Skipped;
    }
    // Narrowing the archive's mode afterwards shuts out nobody who opened it already: a call that
    // fewer may read than may read the archive goes into no existing archive.
    if (struct stat held{}; !archive.IsNew() && archive.Status(held) && ReadByMore(held, status)) {
        close(source);
        NotArchived(call.source,
            "fewer may read it than may read the archive " + call.target
                + ", which they may hold open; archive it into a new archive of its own");
        return Outcome::Skipped;
    }
    NoteSource(status.st_mode, status.st_gid);
    open.read[call.source] = IdentityOf(source);
    const std::string entryName = EntryNameFor(call, source, name, open);
    if (entryName.empty()) {
        const int error = errno;
        close(source);
        if (!open.present.empty() && open.present.back().second == call.source)
            return Outcome::AlreadyThere;
        ReportError("The call " + call.source + " cannot be added to the archive " + call.target + " ("
            + ErrnoText(error) + ").");
        return Outcome::Skipped;
    }
    const CZipArchive::Result result = archive.Add(source, entryName, m_cancelled);
    const int error = errno;
    close(source);
    if (result == CZipArchive::Result::Cancelled)
        return Outcome::Cancelled;
    if (result == CZipArchive::Result::SourceFailed) {
        ReportError("The call " + call.source + " cannot be added to the archive " + call.target + " ("
            + ErrnoText(error) + ").");
        NotArchived(call.source, "it could not be read while it was archived (" + ErrnoText(error) + ")");
        // What was written of it lies past the last entry and is overwritten or cut off.
        return Outcome::Skipped;
    }
    if (result == CZipArchive::Result::ArchiveFailed) {
        ReportError("The archive " + call.target + " cannot be written (" + ErrnoText(error) + ").");
        return Outcome::Failed;
    }
    m_sizeBytes = archive.OccupiedSize();
    if (ThresholdReached()) {
        const bool removed = archive.RemoveLast();
        m_sizeBytes = archive.OccupiedSize();
        QOR_LOG("Archiver: ZIP %s left out of %s, which would reach its %d MB limit\n", call.source.c_str(),
            call.target.c_str(), m_thresholdMB);
        m_leftOut.insert(call.source);
        return removed ? Outcome::LeftOut : Outcome::Failed;
    }
    QOR_LOG("Archiver: ZIP %s -> %s (%s)\n", call.source.c_str(), call.target.c_str(), entryName.c_str());
    open.sources.push_back(call.source);
    return Outcome::Kept;
}

std::string CZIPArchiver::EntryNameFor(const CQueuedCall& call, int source, const std::string& name, COpenArchive& open)
{
    struct stat status { };
    if (fstat(source, &status) != 0)
        return {};
    std::string candidate = name;
    for (int number = 2; const CZipEntryRecord* held = open.archive->FindEntry(candidate); ++number) {
        // The same call archived again: the entry that holds it, byte for byte, is checked rather
        // than added twice.
        if (held->uncompressedSize == static_cast<std::uint64_t>(status.st_size)
            && open.archive->HoldsFile(*held, source)) {
            QOR_LOG("Archiver: ZIP %s is already in %s as %s\n", call.source.c_str(), call.target.c_str(),
                candidate.c_str());
            open.present.emplace_back(*held, call.source);
            return {};
        }
        candidate = NumberedName(name, number);
    }
    if (candidate != name)
        QOR_LOG("Archiver: ZIP %s stored as %s: %s holds another call named %s\n", call.source.c_str(),
            candidate.c_str(), call.target.c_str(), name.c_str());
    return candidate;
}

bool CZIPArchiver::FinishArchive(COpenArchive& open, int& written)
{
    std::vector<CZipEntryRecord> entries = open.archive->AddedEntries();
    std::vector<std::string> sources = open.sources;
    for (const auto& [entry, source] : open.present) {
        entries.push_back(entry);
        sources.push_back(source);
    }
    const std::string path = open.archive->Path();
    std::string error;
    open.archive->LimitAccess([this](int descriptor, unsigned mode) { RestrictAccess(descriptor, mode); });
    if (!open.archive->Finish(error)) {
        open.archive.reset();
        ReportError("The archive " + path + " was left as it was before: " + error + ".");
        m_count -= static_cast<std::int32_t>(sources.size());
        written -= static_cast<int>(sources.size());
        return false;
    }
    // Read back while the archive is still locked, so no other job changes it meanwhile.
    const std::vector<std::optional<CVerifiedCopy>> intact = open.archive->Verify(entries);
    const CFileIdentity identity = open.archive->Identity();
    if (open.archive->IsNew() && !entries.empty())
        m_made.push_back({ path, identity });
    open.archive.reset();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (intact[index]) {
            CVerifiedCopy copy = *intact[index];
            copy.container = path;
            copy.containerIdentity = identity;
            copy.originalIdentity = open.read[sources[index]];
            copy.kind = CVerifiedCopy::Kind::ZipEntry;
            copy.entry = entries[index].name;
            copy.entryOffset = entries[index].localHeaderOffset;
            copy.entryCrc = entries[index].crc;
            m_verified[sources[index]] = copy;
        } else {
            ReportError("The copy of " + sources[index] + " in the archive " + path
                + " did not read back intact; the original is kept.");
        }
    }
    return true;
}

} // namespace qor

#include "lists/CandidateReader.h"

#include "lists/SearchFilters.h"
#include "recording/RecordFileHdr.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr unsigned kStampFields = STATX_INO | STATX_SIZE | STATX_MTIME | STATX_CTIME;

CIndexStamp StampOf(const struct statx& status)
{
    return { makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_ino, status.stx_size,
        status.stx_mtime.tv_sec * 1'000'000'000LL + status.stx_mtime.tv_nsec,
        status.stx_ctime.tv_sec * 1'000'000'000LL + status.stx_ctime.tv_nsec };
}

// Whether we may still read the file: leaving a group takes the right away without changing the
// file, and the index must then show no more than the file would.
bool MayRead(const std::string& path)
{
    return faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0;
}

bool Settled(const CIndexStamp& stamp)
{
    constexpr std::int64_t kSettledNs = 1'000'000'000;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t nowNs = now.tv_sec * 1'000'000'000LL + now.tv_nsec;
    return nowNs - std::max(stamp.modifiedNs, stamp.changedNs) >= kSettledNs;
}

} // namespace

CCandidateFilters::CCandidateFilters(const SearchCriteria& criteria, std::int64_t now)
    : m_criteria(criteria)
    , m_now(now)
    , m_filterDates(DateFilterApplies(criteria))
    , m_earliest(EarliestCallTime(criteria, now))
{
}

std::unique_ptr<CRvFileListEntry> CCandidateFilters::Read(
    std::string path, const std::string& passphrase, const CIndexSnapshot* index, CFreshRead* fresh) const
{
    // The filters in their order: name, date, length, caller ID.
    if (!PassesNameFilter(m_criteria.fileNamePattern, path))
        return nullptr;
    bool keptAsItIs = false; // an encrypted call, whose details the index does not hold
    if (index) {
        struct statx status { };
        if (statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, kStampFields, &status) != 0) {
            if (errno == ENOENT)
                return nullptr; // deleted since it was counted
        } else if (const auto kept = index->find(path); kept != index->end() && !kept->second.encrypted
                   && kept->second.stamp == StampOf(status) && MayRead(path)) {
            const std::int64_t modified = status.stx_mtime.tv_sec;
            if (m_filterDates && modified < m_earliest)
                return nullptr;
            auto entry = std::make_unique<CRvFileListEntry>();
            entry->SetPath(std::move(path));
            entry->TakeDetails(kept->second.details);
            return Filtered(std::move(entry), modified, passphrase);
        } else {
            keptAsItIs = kept != index->end() && kept->second.stamp == StampOf(status);
        }
    }
    // The walk found a regular file here; opened without waiting, something else put in its place
    // since (a FIFO, say) only fails to read. Asking again would cost a call per file.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const int openError = errno;
    CRvRecordFileHdr header;
    if (descriptor < 0) {
        header.SetUnreadable(openError);
        // Deleted since it was counted (an archive job may be at work): no call to list.
        if (header.FileMissing())
            return nullptr;
    }
    std::optional<std::uint64_t> size;
    std::optional<std::int64_t> modified;
    std::optional<CIndexStamp> stamp;
    if (m_filterDates || fresh) {
        // A call begins before its file was last written: a file older than the range holds no
        // call in it, and is dropped without being read.
        struct statx status { };
        if (descriptor >= 0 && statx(descriptor, "", AT_EMPTY_PATH, kStampFields, &status) == 0) {
            modified = status.stx_mtime.tv_sec;
            size = status.stx_size;
            stamp = StampOf(status);
        }
        if (m_filterDates && modified && *modified < m_earliest) {
            close(descriptor);
            return nullptr;
        }
    }
    auto entry = std::make_unique<CRvFileListEntry>();
    entry->SetPath(std::move(path));
    int result = 0;
    if (descriptor >= 0) {
        result = header.LoadOpenFile(descriptor, size, passphrase);
        close(descriptor);
    }
    entry->LoadDetailsFrom(header, result);
    // Kept as the file was before it was read: a change while it was read shows as another stamp.
    // A file changed within the last second is not kept: a second change within the same tick of
    // the file system's clock would leave its stamp as it was.
    if (fresh && stamp && !keptAsItIs && !entry->ReadFailed()) {
        fresh->unsettled = !Settled(*stamp);
        if (!fresh->unsettled) {
            fresh->entry = std::make_unique<CRvFileListEntry>(*entry);
            fresh->stamp = *stamp;
        }
    }
    return Filtered(std::move(entry), modified, passphrase);
}

std::unique_ptr<CRvFileListEntry> CCandidateFilters::Filtered(
    std::unique_ptr<CRvFileListEntry> entry, std::optional<std::int64_t> modified, const std::string& passphrase) const
{
    if (m_filterDates && !PassesDateFilter(m_criteria, entry->ReadFailed() ? modified : entry->GetStartTime(), m_now))
        return nullptr;
    if (!PassesLengthFilter(m_criteria, *entry, passphrase) || !PassesCallerIdFilter(m_criteria, *entry, passphrase))
        return nullptr;
    return entry;
}

} // namespace qor

#include "lists/CandidateReader.h"

#include "lists/SearchFilters.h"
#include "recording/RecordFileHdr.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {

CCandidateFilters::CCandidateFilters(const SearchCriteria& criteria, std::int64_t now)
    : m_criteria(criteria)
    , m_now(now)
    , m_filterDates(DateFilterApplies(criteria))
    , m_earliest(EarliestCallTime(criteria, now))
{
}

std::unique_ptr<CRvFileListEntry> CCandidateFilters::Read(std::string path, const std::string& passphrase) const
{
    // The filters in their order: name, date, length, caller ID.
    if (!PassesNameFilter(m_criteria.fileNamePattern, path))
        return nullptr;
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
    if (m_filterDates) {
        // A call begins before its file was last written: a file older than the range holds no
        // call in it, and is dropped without being read.
        struct statx status { };
        if (descriptor >= 0 && statx(descriptor, "", AT_EMPTY_PATH, STATX_SIZE | STATX_MTIME, &status) == 0) {
            modified = status.stx_mtime.tv_sec;
            size = status.stx_size;
        }
        if (modified && *modified < m_earliest) {
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
    if (m_filterDates && !PassesDateFilter(m_criteria, entry->ReadFailed() ? modified : entry->GetStartTime(), m_now))
        return nullptr;
    if (!PassesLengthFilter(m_criteria, *entry, passphrase) || !PassesCallerIdFilter(m_criteria, *entry, passphrase))
        return nullptr;
    return entry;
}

} // namespace qor

#include "lists/FileListEntry.h"

#include "foundation/CallTime.h"
#include "foundation/Utf8Text.h"
#include "recording/Bookmark.h"
#include "recording/RecordFileHdr.h"

#include <sys/stat.h>

namespace qor {
namespace {

std::string Cut(std::string_view text, std::size_t capacity)
{
    return std::string(CutOnCharacterBoundary(text, capacity));
}

// Where the date guessed from a name like "Line1-20160129-134525.qor" starts, less one. The whole
// path is searched, so a folder named like "-2..." makes the guess start there.
std::size_t DateInName(std::string_view path)
{
    return path.find("-2");
}

} // namespace

void CRvFileListEntry::SetPath(std::string path)
{
    m_path = std::move(path);
    m_userIdText = "?";
    m_dateTimeText.clear();
    m_dateSource = DateSource::FileName;
    const auto slash = m_path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dash = DateInName(m_path);
    if (dash == std::string::npos)
        return;
    m_userIdText = dash > nameStart ? Cut(std::string_view(m_path).substr(nameStart, dash - nameStart), kTextCapacity)
                                    : std::string();
}

void CRvFileListEntry::LoadDetails(const std::string& passphrase)
{
    if (m_loaded)
        return;
    CRvRecordFileHdr header;
    const int result = header.Load(m_path, passphrase);
    LoadDetailsFrom(header, result);
}

void CRvFileListEntry::ReloadDetails(const std::string& passphrase)
{
    const std::int32_t durationBefore = m_durationSeconds;
    const std::int32_t importantBefore = m_important;
    IListEntryOwner* owner = m_owner.owner;
    const std::string path = m_path;
    *this = CRvFileListEntry();
    SetOwner(nullptr); // told once, below, of the whole change
    SetPath(path);
    LoadDetails(passphrase);
    SetOwner(owner);
    ReportTotals(durationBefore, importantBefore);
}

void CRvFileListEntry::LoadDetailsFrom(const CRvRecordFileHdr& header, int loadResult)
{
    if (m_loaded)
        return;
    m_loaded = 1;
    const std::int32_t durationBefore = m_durationSeconds;
    const std::int32_t importantBefore = m_important;
    if (loadResult != 0) {
        m_important = header.Important();
        m_displayTime = static_cast<std::int32_t>(header.DisplayTime());
        m_durationSeconds = header.Duration();
        m_callerIdText = Cut(DisplayText(header.CallerId()), kTextCapacity);
        m_userIdText = Cut(DisplayText(header.UserId()), kTextCapacity);
        // A header without a start time (a damaged one) shows no date rather than 1970's first second.
        m_dateTimeText.clear();
        m_dateSource = header.DisplayTime() != 0 ? DateSource::Header : DateSource::Stored;
        m_durationText = Cut(header.FormatDuration(), kTextCapacity);
        m_commentText = Cut(DisplayText(header.Comment()), kCommentCapacity);
        m_encrypted = header.IsEncrypted() ? 1 : 0;
        int start = 0, end = 0;
        m_hasBookmark = header.ParseBookmark(start, end) ? 1 : 0;
        m_extraSeconds = header.ExtraSeconds();
        m_extraSecondsText = header.FormatExtraSeconds();
        m_extraCode = header.ExtraCode();
    } else if (header.IsEncrypted()) {
        SetErrorTexts(
            "Decryption error!", "Decryption error! Unable to decrypt the file using the passphrase specified!");
        m_encrypted = 1;
    } else {
        m_missing = header.FileMissing();
        SetErrorTexts("File error!", "File error! Unable to find or open the filename specified!");
    }
    ReportTotals(durationBefore, importantBefore);
}

CEntryDetails CRvFileListEntry::Details() const
{
    return { m_important, m_displayTime, m_durationSeconds, m_extraSeconds, m_extraCode, m_readFailed,
        m_hasBookmark != 0, m_encrypted != 0, static_cast<std::uint8_t>(m_dateSource), m_callerIdText, m_userIdText,
        m_durationText, m_dateTimeText, m_commentText, m_extraSecondsText };
}

void CRvFileListEntry::TakeDetails(const CEntryDetails& details)
{
    const std::int32_t durationBefore = m_durationSeconds;
    const std::int32_t importantBefore = m_important;
    m_loaded = 1;
    m_important = details.important;
    m_displayTime = details.displayTime;
    m_durationSeconds = details.durationSeconds;
    m_extraSeconds = details.extraSeconds;
    m_extraCode = details.extraCode;
    m_readFailed = details.readFailed;
    m_hasBookmark = details.hasBookmark ? 1 : 0;
    m_encrypted = details.encrypted ? 1 : 0;
    m_dateSource = details.dateSource <= static_cast<std::uint8_t>(DateSource::Stored)
        ? static_cast<DateSource>(details.dateSource)
        : DateSource::Stored;
    m_callerIdText = details.callerId;
    m_userIdText = details.userId;
    m_durationText = details.durationText;
    m_dateTimeText = details.dateText;
    m_commentText = details.comment;
    m_extraSecondsText = details.extraSecondsText;
    ReportTotals(durationBefore, importantBefore);
}

std::string CRvFileListEntry::GetDateTimeText() const
{
    switch (m_dateSource) {
    case DateSource::FileName: {
        const auto dash = DateInName(m_path);
        return dash == std::string::npos ? "?" : Cut(std::string_view(m_path).substr(dash + 1), kTextCapacity);
    }
    case DateSource::Header:
        return WallClockText(m_displayTime);
    case DateSource::Stored:
        break;
    }
    return m_dateTimeText;
}

std::int64_t CRvFileListEntry::GetStartTime() const
{
    return UnixTimeOfWallClock(m_displayTime);
}

void CRvFileListEntry::SetImportant(std::int32_t important)
{
    const std::int32_t before = m_important;
    m_important = important;
    ReportTotals(m_durationSeconds, before);
}

void CRvFileListEntry::ReportTotals(std::int32_t durationBefore, std::int32_t importantBefore)
{
    const int importantChange = (m_important != 0 ? 1 : 0) - (importantBefore != 0 ? 1 : 0);
    const std::int64_t durationChange = static_cast<std::int64_t>(m_durationSeconds) - durationBefore;
    if (m_owner.owner && (importantChange != 0 || durationChange != 0))
        m_owner.owner->OnEntryTotalsChanged(durationChange, importantChange);
}

void CRvFileListEntry::SetErrorTexts(const char* shortText, const char* comment)
{
    m_readFailed = true;
    m_commentText = comment;
    m_callerIdText = shortText;
    m_durationText = shortText;
    m_dateTimeText = shortText;
    m_dateSource = DateSource::Stored;
    m_userIdText = shortText;
}

void CRvFileListEntry::UpdateBookmark(const std::string& passphrase, int start, int end)
{
    if (!m_loaded) {
        CRvRecordFileHdr header;
        if (header.Load(m_path, passphrase) == 0)
            return;
    }
    m_hasBookmark = start >= 0 && start < end ? 1 : 0;
}

std::uint64_t CRvFileListEntry::FileSize() const
{
    struct stat status { };
    if (stat(m_path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

CallDirection CRvFileListEntry::Direction() const
{
    if (m_callerIdText.starts_with('>'))
        return CallDirection::Incoming;
    if (m_callerIdText.starts_with('<') && m_callerIdText.find('>', 1) == std::string::npos)
        return CallDirection::Outgoing;
    return CallDirection::None;
}

void CRvFileListEntry::SetComment(const std::string& comment)
{
    m_commentText = Cut(comment, kCommentCapacity);
}

} // namespace qor

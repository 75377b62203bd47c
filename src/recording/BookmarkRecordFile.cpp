#include "recording/BookmarkRecordFile.h"

#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "recording/MailAttachments.h"

#include <algorithm>
#include <filesystem>

namespace qor {

CBookmarkRecordFile::CBookmarkRecordFile(const CRvRecordFile& source)
    : CBookmarkRecordFile(source, Singleton<CSettings>::Instance()->GetPassphrase())
{
}

CBookmarkRecordFile::CBookmarkRecordFile(const CRvRecordFile& source, const std::string& passphrase)
    : m_source(source)
{
    OpenAndWait(source.GetPath(), passphrase);
}

void CBookmarkRecordFile::CropToBookmark()
{
    int start = 0, end = 0;
    if (!GetBookmark(start, end))
        return;
    const std::int64_t duration = GetHeader().Duration();
    const std::int64_t count = GetSampleCount();
    // Without a stored length the rate cannot be measured; the program's own rate is the answer.
    const std::int64_t rate = duration > 0 ? count / duration : kSampleRate;
    GetHeader().SetDuration(end - start);
    const std::int64_t last = std::clamp<std::int64_t>(end * rate, 0, count);
    const std::int64_t first = std::clamp<std::int64_t>(start * rate, 0, last);
    const auto all = GetSamples(0, GetSampleCount());
    SetSamples(std::vector<std::int16_t>(all.begin() + first, all.begin() + last));
    GetHeader().WriteBookmark(-1, -1);
}

std::string CBookmarkRecordFile::MakeTempPath(const std::string& extension) const
{
    return NewAttachmentFolder() + NeutralAttachmentName(std::filesystem::path(GetPath()).stem().string() + extension);
}

} // namespace qor

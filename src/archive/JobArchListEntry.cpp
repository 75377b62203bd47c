#include "archive/JobArchListEntry.h"

#include "foundation/LocaleFormat.h"
#include "foundation/Utf8Text.h"

#include <ctime>

namespace qor {

void CJobArchListEntry::SetJobTime(std::int64_t seconds)
{
    m_jobTime = seconds;
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    m_dateTimeText = FormatLocaleDateMinutes(local);
}

void CJobArchListEntry::AddCall(const CRvFileListEntry& call)
{
    m_calls.push_back(call);
    m_totalSize += call.FileSize();
}

void CJobArchListEntry::ClearCalls()
{
    m_calls.clear();
    m_totalSize = 0;
}

void CJobArchListEntry::SetUserName(const std::string& name)
{
    m_userName = std::string(CutOnCharacterBoundary(name, kUserNameCapacity - 1));
}

void CJobArchListEntry::SetComment(const std::string& comment)
{
    m_comment = std::string(CutOnCharacterBoundary(comment, kCommentCapacity - 1));
}

} // namespace qor

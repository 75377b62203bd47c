#include "playback/BookmarkMarks.h"

#include <utility>

namespace qor {
namespace {

constexpr std::int32_t kSamplesPerSecond = 8000;

} // namespace

void CBookmarkMarks::Load(bool stored, int startSeconds, int endSeconds)
{
    if (stored && startSeconds >= 0 && endSeconds > startSeconds) {
        m_start = startSeconds * kSamplesPerSecond;
        m_end = endSeconds * kSamplesPerSecond;
        m_next = Step::Clear;
        return;
    }
    m_start = m_end = -1;
    m_next = Step::Start;
}

CBookmarkMarks::Change CBookmarkMarks::Press(std::int32_t position)
{
    switch (m_next) {
    case Step::Start:
        m_start = m_end >= 0 ? -1 : position;
        m_next = Step::End;
        return {};
    case Step::End:
        m_end = position;
        return Finish();
    case Step::Clear:
        break;
    }
    m_start = m_end = -1;
    m_next = Step::Start;
    return { true, -1, -1 };
}

CBookmarkMarks::Change CBookmarkMarks::MarkStart(std::int32_t position)
{
    m_start = position;
    if (m_next == Step::Start || m_end < 0) {
        m_end = -1;
        m_next = Step::End;
        return {};
    }
    return Finish();
}

CBookmarkMarks::Change CBookmarkMarks::MarkEnd(std::int32_t position)
{
    if (m_start < 0 || m_next == Step::Start)
        m_start = 0;
    m_end = position;
    return Finish();
}

CBookmarkMarks::Change CBookmarkMarks::Finish()
{
    if (m_end < m_start)
        std::swap(m_start, m_end);
    if (m_start == m_end)
        m_start = m_end = -1;
    m_next = Step::Clear;
    // An end within the first second is shown but not stored: it would bookmark nothing.
    if (m_start < 0 || m_end <= kSamplesPerSecond)
        return {};
    return { true, m_start / kSamplesPerSecond, m_end / kSamplesPerSecond };
}

} // namespace qor

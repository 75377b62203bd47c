#include "lists/CandidateFeed.h"

#include <chrono>

namespace qor {

void CCandidateFeed::Add(std::vector<std::string>& paths)
{
    if (paths.empty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        for (std::string& path : paths)
            m_candidates.push_back({ std::move(path), nullptr, {} });
    }
    paths.clear();
    m_added.notify_all();
}

void CCandidateFeed::Close()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_added.notify_all();
}

std::optional<std::size_t> CCandidateFeed::Take(const std::function<bool()>& keepGoing)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!keepGoing())
            return std::nullopt;
        if (m_next < m_candidates.size())
            return m_next++;
        if (m_closed)
            return std::nullopt;
        // A stop is asked for without a word to the feed: the wait looks again now and then.
        m_added.wait_for(lock, std::chrono::milliseconds(20));
    }
}

CCandidateFeed::Candidate& CCandidateFeed::At(std::size_t index)
{
    const std::lock_guard lock(m_mutex);
    return m_candidates[index];
}

std::size_t CCandidateFeed::Found()
{
    const std::lock_guard lock(m_mutex);
    return m_candidates.size();
}

} // namespace qor

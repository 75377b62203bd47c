#include "cli/ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace qor::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

std::string MinutesAndSeconds(long long seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

} // namespace

CProgressBar::CProgressBar(std::string task, std::size_t total)
    : m_task(std::move(task))
    , m_total(total)
    , m_shown(isatty(STDERR_FILENO) == 1)
    , m_start(Clock::now())
{
}

CProgressBar::~CProgressBar()
{
    Finish();
}

void CProgressBar::Update(std::size_t done)
{
    const Clock::time_point now = Clock::now();
    // A total that grew is shown at once: the bar must not stay on a count the walk has passed.
    if (!m_shown || m_total == 0 || (m_drawn && m_drawnTotal == m_total && now - m_lastDrawn < kRedrawInterval))
        return;
    m_drawnTotal = m_total;
    m_lastDrawn = now;
    m_drawn = true;
    const double fraction = static_cast<double>(std::min(done, m_total)) / static_cast<double>(m_total);
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::string bar(static_cast<std::size_t>(filled), '=');
    bar.resize(kBarWidth, ' ');
    const auto elapsed = std::chrono::duration<double>(now - m_start).count();
    std::string left = "--:--";
    if (done > 0 && elapsed >= 0.5 && m_totalFinal)
        left = MinutesAndSeconds(static_cast<long long>(elapsed / fraction - elapsed + 0.5));
    std::fprintf(stderr, "\r%s %zu/%zu [%s] %3d%%  %s left \x1b[K", m_task.c_str(), done, m_total, bar.c_str(),
        static_cast<int>(fraction * 100), left.c_str());
    std::fflush(stderr);
}

void CProgressBar::Finish()
{
    if (!m_drawn)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_drawn = false;
}

} // namespace qor::cli

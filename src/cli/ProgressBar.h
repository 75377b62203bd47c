// Progress of long work on standard error: counts, a bar and an estimate of the time left, redrawn
// in place a few times a second. Only when standard error is a terminal; scripts and logs see
// nothing of it.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace qor::cli {

class CProgressBar {
public:
    CProgressBar(std::string task, std::size_t total);
    ~CProgressBar();
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    // A total still growing (files still being found) gives no estimate of the time left.
    void SetTotal(std::size_t total, bool final = true)
    {
        m_total = total;
        m_totalFinal = final;
    }
    void Update(std::size_t done);
    // Clears the line, so that what follows starts on a clean one.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;

    std::string m_task;
    std::size_t m_total;
    bool m_totalFinal = true;
    bool m_shown;
    bool m_drawn = false;
    std::size_t m_drawnTotal = 0;
    Clock::time_point m_start;
    Clock::time_point m_lastDrawn;
};

} // namespace qor::cli

// What the archive and schedule commands share: the engine's messages printed instead of shown in
// boxes, and waiting for an archive run with a progress bar.
#pragma once

#include "archive/ArchiveJobFinisher.h"
#include "archive/ArchiveManager.h"
#include "archive/ArchiveMessages.h"
#include "archive/ProgressBarSink.h"

#include <atomic>
#include <string>

namespace qor::cli {

class CCliContext;

// Messages the engine would show in a box: printed, and errors count as failures.
class CPrintedMessages : public IArchiveMessages {
public:
    explicit CPrintedMessages(CCliContext& context)
        : m_context(context)
    {
    }
    void Show(Kind kind, const std::string& text) override;

private:
    CCliContext& m_context;
};

// Hears the run's progress on the manager's worker; the main thread draws it.
class CRunFollower : public IProgressBarSink {
public:
    void OnProgress(double percent) override { m_percent = percent; }
    void OnStart() override { }
    void OnFinish(CJobArchListEntry*) override { }
    double Percent() const { return m_percent; }

private:
    std::atomic<double> m_percent{ 0.0 };
};

// Returns once the run is over and its thread joined; draws the follower's progress, if any, as
// calls done of calls (the run's share of them when calls is 0: not counted).
void WaitForRun(CArchiveManager& manager, const CRunFollower* follower, std::size_t calls = 0);

// Prints how a finished job went: the calls archived (only those read back intact), the calls not
// archived, and the originals kept or that failed, each named; failures count in the exit status.
void ReportArchiveOutcome(
    const CArchiveJobOutcome& outcome, const CArchiveManager::Results& results, CCliContext& context);

// Says when the archive log was found damaged (and kept aside) while it was read or saved.
void ReportArchiveLogDamage(const std::string& keptAside, CCliContext& context);

} // namespace qor::cli

#include "cli/ArchiveRun.h"

#include "archive/ArchiveLogger.h"
#include "cli/CliContext.h"
#include "cli/ProgressBar.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace qor::cli {

void CPrintedMessages::Show(Kind kind, const std::string& text)
{
    if (kind == Kind::Error)
        m_context.Fail(text);
    else
        std::fprintf(stderr, "qortolvane-cli: %s\n", text.c_str());
}

void WaitForRun(CArchiveManager& manager, const CRunFollower* follower)
{
    CProgressBar progress("archiving", 100);
    while (manager.IsRunning()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (follower)
            progress.Update(static_cast<std::size_t>(follower->Percent()));
    }
    manager.Wait();
    progress.Finish();
}

void ReportArchiveOutcome(
    const CArchiveJobOutcome& outcome, const CArchiveManager::Results& results, CCliContext& context)
{
    for (const std::string& path : outcome.unverified)
        std::fprintf(stderr, "qortolvane-cli: %s: not archived; the original is kept\n", path.c_str());
    for (const auto* changed : { &outcome.changed, &outcome.originals.changed })
        for (const std::string& path : *changed)
            context.Fail(path, "kept: it changed after it was archived");
    for (const std::string& path : outcome.originals.archiveGone)
        context.Fail(path, "kept: the archive that held its copy is gone");
    const bool deleting = outcome.mediaProcessing == kDeleteOriginals;
    for (const std::string& path : outcome.originals.failed)
        context.Fail(path, deleting ? "cannot be deleted" : "cannot be stripped of its audio");
    if (outcome.archived > 0 && !outcome.logged)
        context.Fail(CArchiveLogger::FilePath(), "cannot write the archive log; no recording was changed");
    if (outcome.archived == 0) {
        if (results.writeFailed || !outcome.unverified.empty() || !outcome.changed.empty())
            context.Fail(outcome.target, "no call was archived");
        else
            // Not a failure: a timer archiving the calls not yet archived often finds none.
            std::puts("No calls were archived: none was selected, or none fitted under the threshold.");
        return;
    }
    std::printf("%d calls archived to %s", outcome.archived, outcome.target.c_str());
    if (outcome.logged && outcome.mediaProcessing != kKeepOriginals)
        std::printf("; %d originals %s", outcome.originals.modified, deleting ? "deleted" : "stripped of their audio");
    std::printf("\n");
}

void ReportArchiveLogDamage(const std::string& keptAside, CCliContext& context)
{
    if (!keptAside.empty())
        context.Fail(CArchiveLogger::FilePath(),
            "could not be read; kept as " + keptAside + ", and every entry it still showed was taken back");
}

} // namespace qor::cli

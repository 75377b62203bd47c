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
        m_context.Note(text);
}

void WaitForRun(CArchiveManager& manager, const CRunFollower* follower, std::size_t calls)
{
    const std::size_t total = calls > 0 ? calls : 100;
    CProgressBar progress(calls > 0 ? "archiving calls" : "archiving", total);
    while (manager.IsRunning()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (follower)
            progress.Update(static_cast<std::size_t>(follower->Percent() * static_cast<double>(total) / 100.0));
    }
    manager.Wait();
    progress.Finish();
}

void ReportArchiveOutcome(
    const CArchiveJobOutcome& outcome, const CArchiveManager::Results& results, CCliContext& context)
{
    // Why the archiver refused a call was said already; here each call not archived is named.
    for (const std::string& path : results.refused)
        std::fprintf(stderr, "qortolvane-cli: %s: not archived; the original is kept\n", path.c_str());
    for (const std::string& path : outcome.unverified)
        context.Fail(path, NotArchivedText(path, results, outcome));
    for (const std::string& path : results.leftOut)
        std::fprintf(stderr, "qortolvane-cli: %s: left out: the archive reached its size limit\n", path.c_str());
    for (const auto* kept : { &outcome.changed, &outcome.originals.kept })
        for (const auto& [path, reason] : *kept)
            context.Fail(path, std::string("kept: ") + OriginalChangeText(reason));
    // Not ours to report as a failure: another program took the call away, and its copy is safe.
    for (const auto& [path, copy] : outcome.vanished)
        std::fprintf(stderr, "qortolvane-cli: %s: the original vanished during the job; its copy is in %s\n",
            path.c_str(), copy.c_str());
    for (const std::string& path : outcome.originals.vanished)
        std::fprintf(stderr, "qortolvane-cli: %s: the original vanished during the job; its copy stays in %s\n",
            path.c_str(), outcome.target.c_str());
    if (outcome.readBack > 0 && !outcome.logged)
        context.Fail(CArchiveLogger::FilePath(), "cannot write the archive log; no recording was changed");
    for (const std::string& path : outcome.removed)
        context.Fail(path, "removed again: the archive log could not name it");
    const bool failedSome = results.writeFailed || !results.refused.empty() || !outcome.unverified.empty()
        || !outcome.changed.empty() || (outcome.readBack > 0 && !outcome.logged);
    if (outcome.archived == 0) {
        if (failedSome)
            context.Fail(outcome.target, "no call was archived");
        else if (!results.leftOut.empty())
            context.NothingFound("No calls were archived: none fitted under the size limit.");
        else
            // Not a failure: a timer archiving the calls not yet archived often finds none.
            context.NothingFound("No calls were archived: none was selected.");
        return;
    }
    std::printf("%d calls archived to %s", outcome.archived, outcome.target.c_str());
    if (!outcome.completed)
        std::printf(" before the run stopped; no original was changed");
    else if (outcome.logged && outcome.mediaProcessing != kKeepOriginals)
        std::printf("; %d originals %s", outcome.originals.modified,
            outcome.mediaProcessing == kDeleteOriginals ? "deleted" : "stripped of their audio");
    if (!results.leftOut.empty())
        std::printf("; %zu left out at the size limit", results.leftOut.size());
    std::printf("\n");
}

void ReportArchiveLogDamage(const std::string& keptAside, CCliContext& context)
{
    if (!keptAside.empty())
        context.Fail(CArchiveLogger::FilePath(),
            "could not be read; kept as " + keptAside + ", and every entry it still showed was taken back");
}

} // namespace qor::cli

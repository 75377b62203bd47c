#include "cli/SearchRun.h"

#include "cli/CliContext.h"
#include "cli/ProgressBar.h"
#include "lists/QorTolvaneDoc.h"
#include "lists/SearchManager.h"
#include "lists/index/UserCallIndex.h"

#include <chrono>
#include <string>
#include <thread>

namespace qor::cli {

bool UseCallIndex(CUserCallIndex& index, CSearchManager& search, const CCliContext& context)
{
    std::string notice;
    const bool open = index.Open(notice);
    // Without a home folder there is nowhere to keep it: said only to who asks for more.
    if (!notice.empty() && (context.verbose || !CIndexDatabase::DefaultFolder().empty()))
        context.Note(open ? notice : notice + ". The calls are read from their files this time.");
    search.SetCallIndex(index.Get());
    return open;
}

void RunSearch(CSearchManager& search, CQorTolvaneDoc& list, const CCliContext& context, bool tellIndexLag)
{
    CProgressBar progress("reading", 0);
    if (!search.StartSearch())
        return;
    while (search.IsRunning()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto status = search.GetStatus(); // the total grows while the folders are walked
        progress.SetTotal(static_cast<std::size_t>(status.total), status.walkFinished);
        progress.Update(static_cast<std::size_t>(status.scanned));
    }
    search.Wait(); // the run is over; its thread is joined before anything else
    const auto done = search.GetStatus(); // the counts as they ended, before the line is cleared
    progress.SetTotal(static_cast<std::size_t>(done.total), true);
    progress.Update(static_cast<std::size_t>(done.scanned));
    progress.Finish();
    if (tellIndexLag && !search.IndexKeptUp())
        context.Note("The call index could not be brought up to date (another program holds it, or the disk is "
                     "full); the next list reads these calls from their files again");
    search.HandOffTo(&list);
}

} // namespace qor::cli

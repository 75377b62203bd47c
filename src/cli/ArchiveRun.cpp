#include "cli/ArchiveRun.h"

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

} // namespace qor::cli

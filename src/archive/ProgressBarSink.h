// Who follows an archive run: told when it starts, how far it has got, and when it has finished.
// Called on the archive manager's worker thread, so implementations only store values or post
// notices to their own thread.
#pragma once

namespace qor {

class CJobArchListEntry;

class IProgressBarSink {
public:
    virtual ~IProgressBarSink() = default;
    virtual void OnProgress(double percent) = 0;
    virtual void OnStart() = 0;
    // job: the job run last (null when there was none).
    virtual void OnFinish(CJobArchListEntry* job) = 0;
};

} // namespace qor

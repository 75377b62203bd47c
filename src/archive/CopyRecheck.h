// The last check before originals are deleted or stripped: that each archive, as it is now, still
// reads back the copies it was read back to hold, proven under the archive's lock (so no job of
// ours changes it until the originals are done) and after a journal left by a killed job has put it
// back; and that each copy lies where no other user can change or remove it. Time may have passed
// since the run (the wizard asks first), and another job may have added to the archive meanwhile.
#pragma once

#include "archive/OriginalRemover.h"
#include "archive/TargetClaim.h"
#include "archive/VerifiedCopy.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace qor {

// Whether a copy or an archive file is one only we can change: our regular file, which nobody
// else may write and which has no other name another user could have given it.
bool OnlyWeCanChange(const struct stat& status);

class CCopyRecheck {
public:
    // patience: how long to wait for another job of ours that is writing an archive.
    explicit CCopyRecheck(std::chrono::milliseconds patience = std::chrono::seconds(30));
    // Lets the archives go.
    ~CCopyRecheck();
    CCopyRecheck(const CCopyRecheck&) = delete;
    CCopyRecheck& operator=(const CCopyRecheck&) = delete;

    // Checks the copies of the originals (by the original's path); Done for each copy that holds,
    // otherwise why its original must be kept. The archives stay held until this object goes.
    std::map<std::string, COriginalChange> Check(const VerifiedCopies& copies);

private:
    using Copies = std::vector<std::pair<std::string, const CVerifiedCopy*>>;
    void CheckFile(
        const std::string& original, const CVerifiedCopy& copy, std::map<std::string, COriginalChange>& into);
    void CheckArchive(const Copies& copies, std::map<std::string, COriginalChange>& into);
    // Opens the archive the copies are in for the check, or says for all of them why not.
    int OpenArchive(const CVerifiedCopy& first, COriginalChange& why);

    std::chrono::milliseconds m_patience;
    std::vector<int> m_held; // archives locked for as long as the originals change
    std::vector<std::unique_ptr<CTargetClaim>> m_claims; // images no job of ours may replace meanwhile
};

} // namespace qor

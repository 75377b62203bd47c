// A claim on an archive's name, so that two jobs of ours never make or replace the same archive at
// once. It is a lock file in our private state folder, named after the archive's folder and name:
// nothing another user can plant or hold decides whether a job of ours may write its archive.
#pragma once

#include "foundation/TrustedFolder.h"

#include <chrono>
#include <string>

namespace qor {

class CTargetClaim {
public:
    CTargetClaim() = default;
    ~CTargetClaim();
    CTargetClaim(const CTargetClaim&) = delete;
    CTargetClaim& operator=(const CTargetClaim&) = delete;

    // Claims the name in folder, waiting up to patience for another job of ours to let it go. 0,
    // EBUSY while another job holds it, or the error that kept the claim from being made.
    int Take(const CFolderHandle& folder, const std::string& name, std::chrono::milliseconds patience = {});
    bool IsHeld() const { return m_descriptor >= 0; }
    // Lets the name go; the lock file goes with it.
    void Release();

private:
    std::string m_path;
    int m_descriptor = -1;
};

} // namespace qor

// A file written under a temporary name in the folder of its final one (".qor-<random>.partial"),
// so that a half-written archive or copy never carries a real name. It is created exclusively,
// never through a link and never adopting a file that is already there, under a name nobody can
// guess and so plant first, and it is locked for as long as it is open: a partial file of ours that
// nobody holds is what a killed run left, which may go. Committing gives it its final name without
// replacing anything; an uncommitted one is removed.
#pragma once

#include "archive/TargetClaim.h"
#include "foundation/FileIdentity.h"
#include "foundation/TrustedFolder.h"

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

namespace qor {

class CPartialFile {
public:
    CPartialFile() = default;
    ~CPartialFile();
    CPartialFile(const CPartialFile&) = delete;
    CPartialFile& operator=(const CPartialFile&) = delete;

    // Creates the partial file for the file finalName in folder, which it keeps open: every later
    // step is taken in that very folder. With claimName, the final name is claimed first (see
    // CTargetClaim), so that two jobs of ours never write the same archive at once. 0, or the
    // system's error number: EBUSY while another job of ours writes it.
    int Create(const CFolderHandle& folder, const std::string& finalName, bool claimName, mode_t mode);

    int Descriptor() const { return m_descriptor; }
    // The mode asked for at Create, less the umask; the file itself is 0600 until it is given one.
    mode_t RequestedMode() const { return m_requestedMode; }
    // Where it is, for messages.
    std::string Path() const { return m_folder.PathOf(m_name); }
    bool IsOpen() const { return m_descriptor >= 0; }

    // Gives the file the final name (in its folder), which must not exist; EEXIST when it does.
    // The file stays open (and locked) until Close.
    int CommitAs(const std::string& finalName);
    // Puts the file in place of the existing one named finalName, which must still be the file
    // with the expected identity (else EBUSY, and nothing changes). Where the file system can swap
    // the two in one step, stillWanted is asked once the swap is made and before the old file
    // goes: false swaps them back (EAGAIN).
    int Replace(
        const std::string& finalName, const CFileIdentity& expected, const std::function<bool()>& stillWanted = {});
    // Closes it; an uncommitted file is removed first.
    void Close();

private:
    int CreateNamed(const std::string& name, mode_t mode);
    int ClaimedOnSuccess(int result);

    CFolderHandle m_folder;
    CTargetClaim m_claim;
    std::string m_name;
    int m_descriptor = -1;
    mode_t m_requestedMode = 0600;
    bool m_committed = false;
};

// Removes the partial files of ours in folder that no live job holds (a killed run's leftovers).
void RemoveStalePartials(const CFolderHandle& folder);

} // namespace qor

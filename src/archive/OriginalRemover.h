// Deletes an archived call's original, or strips its audio, only while that is safe: the original
// is no symbolic link (what a link points to lies outside the folders archived, maybe in another
// archive), no other program holds it open (a recorder still writing it), it holds exactly what its
// copy holds, and the archive that holds the copy is still there. A lease on the open file tells
// when any program opens it meanwhile; the change is then undone. The kernel grants leases only on
// one's own files, so a call of another account (or one no lease can be taken on) is changed only
// once it has stayed the same over a quiet time.
#pragma once

#include "archive/VerifiedCopy.h"

#include <chrono>
#include <string>

namespace qor {

// How long a call of another account must have stayed the same, before it was copied and until it
// changes, for its recorder to be taken as done with it.
constexpr std::chrono::seconds kQuietTime{ 120 };

enum class COriginalChange {
    Done,
    Link, // kept: a symbolic link
    InUse, // kept: another program has it open
    Changed, // kept: no longer what the archive holds
    ArchiveGone, // kept: the file that held its copy is gone
    Unreadable, // kept: its header cannot be read (an encrypted call without its passphrase)
    Failed, // kept: it could not be changed (errno says why)
    StillWritten, // kept: another account's call that changed within the quiet time
    Vanished, // gone before it was changed; its copy stays in the archive
    CopyExposed, // kept: its copy lies where another user could change or remove it
    CopyOpenForWriting, // kept: a program has the file that holds its copy open for writing
    CopyNotIntact, // kept: the archive as it is now does not read its copy back intact
    ArchiveBusy, // kept: another job held its archive for longer than we wait
    RunIncomplete, // kept: the run was cancelled or failed, so no original is changed
};

COriginalChange DeleteOriginal(
    const std::string& path, const CVerifiedCopy& copy, std::chrono::seconds quiet = kQuietTime);

// Replaces the recording by its header alone, which keeps the call's details.
COriginalChange StripOriginal(const std::string& path, const CVerifiedCopy& copy, const std::string& passphrase,
    std::chrono::seconds quiet = kQuietTime);

// Whether the call at path is another account's and changed within the quiet time before it was
// copied, or since: its recorder may still be writing it, so the copy is not yet the whole call.
bool AnotherAccountStillWrites(const std::string& path, const CVerifiedCopy& copy, std::chrono::seconds quiet);

// What a kept original's reason is, in words.
const char* OriginalChangeText(COriginalChange change);

} // namespace qor

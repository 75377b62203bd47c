// Deletes an archived call's original, or strips its audio, only while that is safe: the original
// is no symbolic link (what a link points to lies outside the folders archived, maybe in another
// archive), no other program holds it open (a recorder still writing it), it holds exactly what its
// copy holds, and the archive that holds the copy is still there. A lease on the open file tells
// when any program opens it meanwhile; the change is then undone.
#pragma once

#include "archive/VerifiedCopy.h"

#include <string>

namespace qor {

enum class COriginalChange {
    Done,
    Link, // kept: a symbolic link
    InUse, // kept: another program has it open
    Changed, // kept: no longer what the archive holds
    ArchiveGone, // kept: the file that held its copy is gone
    Unreadable, // kept: its header cannot be read (an encrypted call without its passphrase)
    Failed, // kept: it could not be changed (errno says why)
};

COriginalChange DeleteOriginal(const std::string& path, const CVerifiedCopy& copy);

// Replaces the recording by its header alone, which keeps the call's details.
COriginalChange StripOriginal(const std::string& path, const CVerifiedCopy& copy, const std::string& passphrase);

// What a kept original's reason is, in words.
const char* OriginalChangeText(COriginalChange change);

} // namespace qor

// Comparing what an image holds with a file on disk or with what another image holds, block by
// block, without keeping either whole in memory.
#pragma once

#include "archive/VerifiedCopy.h"
#include "archive/iso/IsoLibrary.h"

namespace qor {

// Whether the image file's content equals the file open on descriptor (read from its start); with
// copy, the size and CRC-32 of what the image holds are given back.
bool IsoFileEqualsFile(IsoFile* file, int descriptor, CVerifiedCopy* copy = nullptr);

// The size and digest of what the image file holds; false when it cannot be read whole.
bool DigestOfIsoFile(IsoFile* file, CVerifiedCopy& copy);

// Whether two image files hold the same bytes.
bool IsoFilesEqual(IsoFile* first, IsoFile* second);

} // namespace qor

// Writes a volume out as an image file: produced by the library, it goes to a temporary file next
// to the target, which takes the target's name only once complete and on disk. Reports progress
// and stops at the next block when asked.
#pragma once

#include "archive/Archiver.h"
#include "archive/iso/IsoLibrary.h"

#include <atomic>
#include <string>

namespace qor {

// The image is dated now. A stop leaves no temporary file and any earlier target untouched, and
// gives the library's "cancelled" code.
CIsoStatus WriteIsoImage(
    IsoImage* image, const std::string& target, const std::atomic<bool>& stop, const ArchiveProgressFunction& progress);

} // namespace qor

// Writes a volume out as an image file: produced by the library, it goes to a file already open
// (the partial file beside the target), flushed to disk at the end. Reports progress and stops at
// the next block when asked.
#pragma once

#include "archive/Archiver.h"
#include "archive/iso/IsoLibrary.h"

#include <atomic>

namespace qor {

// The image is dated now. A stop gives the library's "cancelled" code.
CIsoStatus WriteIsoImage(
    IsoImage* image, int descriptor, const std::atomic<bool>& stop, const ArchiveProgressFunction& progress);

} // namespace qor

// Reads a finished image back from disk and compares each call in it with its source, and each file
// an earlier image held with that image's copy: only calls known to be intact are ever deleted or
// stripped afterwards, and an image that lost an older call never replaces the one that held it.
#pragma once

#include "archive/VerifiedCopy.h"
#include "archive/iso/IsoLibrary.h"
#include "foundation/FileIdentity.h"

#include <string>
#include <vector>

namespace qor {

// A call put into the image (or found there already): its source on disk and its path inside the
// image ("/a/b/x.qor").
struct CIsoEntry {
    std::string source;
    std::string imagePath;
    CFileIdentity sourceIdentity; // the file that was added: only it may count as archived
};

struct CIsoReadBack {
    bool readable = false;
    VerifiedCopies verified; // the calls whose copies equal their sources
    std::vector<std::string> lostOld; // files of the earlier image not found intact
};

// Reads the image open on imageDescriptor (flushed to disk). previousFiles are the paths of the
// files that the earlier image held, compared with their copies in previous (null for none).
CIsoReadBack ReadBackIsoImage(int imageDescriptor, const std::vector<CIsoEntry>& entries, IsoImage* previous,
    const std::vector<std::string>& previousFiles);

// For each copy (an image path with the size and digest read back before), whether the image open
// on imageDescriptor holds it as it was then.
std::vector<bool> ImageStillHolds(int imageDescriptor, const std::vector<const CVerifiedCopy*>& copies);

} // namespace qor

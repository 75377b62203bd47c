// Reads a finished image back from disk and compares each recording in it with its source, so that
// only calls known to be intact in the image are ever deleted or stripped afterwards.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace qor {

// A recording put into the image: its source on disk and its path inside the image ("/a/b/x.qor").
struct CIsoEntry {
    std::string source;
    std::string imagePath;
};

// The sources whose copies in the image at imageFile have the same bytes as the source; empty
// when the image cannot be read.
std::set<std::string> ReadBackIsoImage(const std::string& imageFile, const std::vector<CIsoEntry>& entries);

} // namespace qor

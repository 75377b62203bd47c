// The name a call takes inside a ZIP archive: its folder and its file name joined by "/", never
// absolute and never climbing out of the folder it is extracted to.
#pragma once

#include <string>

namespace qor {

// folder + "/" + the source's file name (the file name alone for an empty folder). "/" and "\" both
// separate components, and empty, "." and ".." components are dropped. Empty when the source has
// no usable file name.
std::string MakeZipEntryName(const std::string& folder, const std::string& source);

} // namespace qor

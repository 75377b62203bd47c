// Distinct calls that share a file name get distinct names inside one archive: "name (2).qor",
// "name (3).qor" and so on, kept within the file system's limit of 255 bytes a name.
#pragma once

#include <string>

namespace qor {

// The file name (the last component of a "/" separated path) with " (number)" before its
// extension; the stem is shortened, on a character boundary, when the name would grow too long.
std::string NumberedName(const std::string& path, int number);

} // namespace qor

// What the fuzz targets share: a private place for the files they feed, and data folders of their
// own, so that a target never reads or writes the settings of whoever runs it.
#pragma once

#include <string>
#include <string_view>

namespace qor::fuzz {

// A path in this process's own temporary folder, ending in name.
std::string ScratchPath(const std::string& name);
// Writes bytes as the whole file; false when it cannot be written.
bool WriteWholeFile(const std::string& path, std::string_view bytes);
// Points the user's and the machine's configuration, data and state folders at this process's
// temporary folder.
void UsePrivateDataFolders();

} // namespace qor::fuzz

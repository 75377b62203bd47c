// The folder and the name of a path, and making a folder's entries durable: a file created, renamed
// or removed there survives a crash only once the folder itself is flushed.
#pragma once

#include <string>
#include <string_view>

namespace qor {

// The folder that holds path ("." for a bare name, "/" for a file at the root).
std::string FolderOf(const std::string& path);

// The file's own name: the text after its last "/".
std::string_view FileNameOf(std::string_view path);

// Flushes the folder that holds path; 0, or the system's error number.
int SyncFolderOf(const std::string& path);

} // namespace qor

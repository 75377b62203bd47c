// Deleting a recording the way the desktop does: into the freedesktop Trash, from where the user
// can bring it back. A file on another file system than the home Trash goes to a trash folder at
// that file system's top, which another user may have made first to take the files back out: such
// a folder is refused, as the desktop's trash rules ask.
#pragma once

#include <string>

namespace qor {

// Moves the file to the Trash; false when it could not be moved (it then stays where it was), with
// why saying so when the trash it would go to is not safe.
bool MoveToTrash(const std::string& path, std::string* why = nullptr);

} // namespace qor

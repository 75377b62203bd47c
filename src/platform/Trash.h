// Deleting a recording the way the desktop does: into the freedesktop Trash, from where the user
// can bring it back.
#pragma once

#include <string>

namespace qor {

// Moves the file to the Trash; false when it could not be moved (it then stays where it was).
bool MoveToTrash(const std::string& path);

} // namespace qor

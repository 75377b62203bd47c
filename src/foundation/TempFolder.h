// A temporary folder private to this process (mode 0700, random name), for files handed to other
// programs such as mail attachments. Made on first use and removed with its contents at exit.
#pragma once

#include <string>

namespace qor {

// The folder's path ending in "/"; empty when it cannot be created.
std::string PrivateTempFolder();

} // namespace qor

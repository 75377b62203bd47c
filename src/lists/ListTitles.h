// The title and the label a recording list window shows for each kind of list.
#pragma once

#include <string>

namespace qor {

// A folder list without a folder is a custom list.
int EffectiveListKind(int kind, const std::string& folder);

// Window title: the folder's last path element (17 characters and "..." when longer than 20),
// "Custom" or the file's title for a custom list, "Play History".
std::string ListTitle(int kind, const std::string& folder, const std::string& fileTitle);

// The label above the list; when is the current date and time, or for a custom list read from a
// file, the file's creation time, as locale text.
std::string ListLabel(int kind, const std::string& folder, const std::string& when);

// The last element of a folder path, ignoring trailing "/".
std::string LastPathElement(const std::string& folder);

} // namespace qor

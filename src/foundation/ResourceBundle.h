// A branding bundle: a folder the administrator installs whose strings.xml replaces the program's
// numbered texts (the product and company names among them, which also name the data folders) and
// whose icons folder replaces its icons, file by file.
#pragma once

#include <optional>
#include <string>

namespace qor {

// Takes the bundle branding.xml names: a path, or a bare name looked up as
// qortolvane/branding/NAME in the system's data folders (XDG_DATA_DIRS). An empty name puts the
// program's own texts back. False, with why, when the bundle is missing, another user could change
// it, its strings cannot be read, or a name in it cannot name a folder; nothing is then replaced.
bool UseResourceBundle(const std::string& name, std::string& why);

// The bundle's folder in use, empty when none.
std::string ResourceBundleFolder();

// The bundle's own text for a numbered string, if it has a non-empty one.
std::optional<std::string> ResourceBundleString(int id);

} // namespace qor

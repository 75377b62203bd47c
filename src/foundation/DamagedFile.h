// A store the program cannot read is kept, not overwritten: it is renamed aside with the date and
// time, and the log says so, before the program saves a fresh one under its name.
#pragma once

#include <string>

namespace qor {

// Renames the file at path to "<path>.damaged-YYYYMMDD-HHMMSS" and logs it; returns the new
// path, or empty when there was no file or it could not be renamed.
std::string KeepDamagedFileAside(const std::string& path);

} // namespace qor

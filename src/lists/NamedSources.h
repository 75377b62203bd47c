// Files and folders a person names by hand (on the command line, or through a file manager's "Open
// With"): what each one is, and why one that cannot be used is left out.
#pragma once

#include <string>
#include <vector>

namespace qor {

// Why the path cannot be listed, in words after its name ("no such file or folder"); empty for a
// folder or a regular file.
std::string UnusableSourceReason(const std::string& path);

// The path an argument names, against the working folder it was given in; an option as it is, and
// so is every name when the working folder is not known (it was deleted).
// After "--" nothing is an option (mayBeOption false): a name starting with "-" is a path too, and
// one left relative starts with "./", so that it is not taken for an option later.
std::string AbsoluteNamedPath(const std::string& argument, const std::string& workingFolder, bool mayBeOption = true);

struct CNamedSources {
    std::vector<std::string> folders; // compiled into a list
    std::vector<std::string> lists; // .reclist files, opened as lists
    std::vector<std::string> calls; // everything else that is a file: played
    std::vector<std::string> problems; // "name: why", one per path left out
};

// Sorts the named paths, made absolute against workingFolder (a copy already running has its own;
// empty when they are absolute already); options (starting with "-") are named as unknown, and a
// path still relative as lost.
CNamedSources SortNamedSources(const std::vector<std::string>& arguments, const std::string& workingFolder);

} // namespace qor

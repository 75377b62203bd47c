// The comments a user can pick in the annotation dialog: the lines of "Comments.txt" that an
// administrator provides, or the program's own sixteen.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qor {

// A file that may hold the comments, and whose besides us and root it is trusted from (the
// office account's, for the list an administrator provides for everyone).
struct CCommentsFile {
    std::string path;
    std::optional<uid_t> owner;
};

struct CPredefinedComments {
    std::vector<std::string> comments;
    // Each file that was there but not trusted, with why: the user is told rather than left
    // wondering where her list went.
    std::vector<std::pair<std::string, std::string>> refused;
};

// The non-empty lines of the first of the files that is there and can be trusted (a file in a
// folder others can write counts only when ours or root's and writable by nobody else), in order;
// the defaults when none is, or it has no line. Lines are cut to what a comment holds.
CPredefinedComments LoadPredefinedComments(const std::vector<CCommentsFile>& candidates);

} // namespace qor

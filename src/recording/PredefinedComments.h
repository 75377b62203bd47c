// The comments a user can pick in the annotation dialog: the lines of "Comments.txt" that an
// administrator provides, or the program's own sixteen.
#pragma once

#include <string>
#include <vector>

namespace qor {

// The non-empty lines of the file, in order; the defaults when it is missing, unreadable or has
// none. Lines are cut to what a comment holds.
std::vector<std::string> LoadPredefinedComments(const std::string& path);

// The comment a pick gives: the picked text, carrying the call's bookmark when it has one (the
// bookmark lives inside the comment, so replacing the text must not drop it).
std::string PickedComment(const std::string& picked, const std::string& currentComment);

} // namespace qor

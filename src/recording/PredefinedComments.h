// The comments a user can pick in the annotation dialog: the lines of "Comments.txt" that an
// administrator provides, or the program's own sixteen.
#pragma once

#include <string>
#include <vector>

namespace qor {

// The non-empty lines of the first of the files that is there and can be trusted (a file in a
// folder others can write counts only when ours or root's and writable by nobody else), in order;
// the defaults when none is, or it has no line. Lines are cut to what a comment holds.
std::vector<std::string> LoadPredefinedComments(const std::vector<std::string>& candidates);

// The comment a pick gives: the picked text, carrying the call's bookmark when it has one (the
// bookmark lives inside the comment, so replacing the text must not drop it).
std::string PickedComment(const std::string& picked, const std::string& currentComment);

} // namespace qor

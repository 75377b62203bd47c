// The bookmark of a call lives inside its comment: a visible first line and a tagged block at the
// very end of the 1023-character field, under a warning line. These functions read and rewrite
// that encoding on the comment text.
#pragma once

#include <string>
#include <string_view>

namespace qor {

constexpr std::size_t kCommentCapacity = 1023;

// Reads start and end seconds from the tagged block; false when the block is missing or damaged.
bool ParseBookmark(std::string_view comment, int& start, int& end);

// Sets a bookmark (0 <= start < end) or removes it (start = end = -1). Any other pair is refused
// and leaves the comment unchanged.
bool WriteBookmark(std::string& comment, int start, int end);

// How many bytes of words the comment's field holds beside its bookmark (the whole field when it
// has none).
std::size_t CommentRoom(std::string_view comment);

// Replaces the user's words of the comment and keeps its bookmark exactly. False, with the comment
// unchanged, when the words do not fit beside the bookmark.
bool ReplaceCommentWords(std::string& comment, std::string_view words);

// The user's own words of a comment, as a list shows them: no bookmark line, no system block,
// only the first line.
std::string CommentUserText(std::string_view comment);

// The user's own words with every line, as data formats give them: no bookmark line, no system
// block, no blanks around them.
std::string CommentWholeText(std::string_view comment);
// The same as a part of the comment given.
std::string_view CommentWholeView(std::string_view comment);

// Seconds as HH:MM:SS, each part at least two digits (3725 gives 01:02:05, 360000 gives 100:00:00).
std::string FormatHhMmSs(long long seconds);

} // namespace qor

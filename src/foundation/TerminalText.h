// Text printed for a person on a terminal: a header field or a file name can hold control
// characters (an escape sequence that moves the cursor, clears the screen or retitles the window),
// which the terminal would obey, or a line break that would forge the next line. In the command
// line's table, text views and messages, and in what either program says on standard error, each
// becomes "?" (a tab stays); the data formats (CSV, JSON, lists) keep the text exactly.
#pragma once

#include <string>
#include <string_view>

namespace qor {

std::string TerminalText(std::string_view text);

// TerminalText padded with blanks to take width columns on the terminal: a letter with an accent
// takes one, a CJK character two, a combining mark none. Longer text is left whole.
std::string TerminalCell(std::string_view text, std::size_t width);

} // namespace qor

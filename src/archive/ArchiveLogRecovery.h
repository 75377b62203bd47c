// Reads what it can of an archive log that the XML reader refuses: one written before texts were
// escaped (a "<b>" in a comment), or one cut short. The log is written one element a line, so each
// line is read on its own: an entry's id, its fields and its calls; a text that runs over several
// lines (a comment with line breaks) is read up to its end tag. An entry cut short keeps what was
// read of it, so no entry the file still shows is dropped.
#pragma once

#include "archive/JobArchListEntry.h"

#include <memory>
#include <string_view>
#include <vector>

namespace qor {

std::vector<std::unique_ptr<CJobArchListEntry>> RecoverArchiveLogEntries(std::string_view text);

} // namespace qor

// The file "archive.log" itself: its text as the program writes it (lines ending CR CR LF, as it
// has always been written), and reading it back. A file the XML reader refuses is kept aside as
// "archive.log.damaged-<time>", and every entry that can still be read from it is recovered.
#pragma once

#include "archive/JobArchListEntry.h"

#include <memory>
#include <string>
#include <vector>

namespace qor {

using ArchiveLogEntries = std::vector<std::unique_ptr<CJobArchListEntry>>;

std::string ArchiveLogText(const ArchiveLogEntries& entries);

struct CArchiveLogFileRead {
    bool exists = false; // false: there is no log yet
    bool readable = true; // false: the file exists but cannot be read at all
    std::string keptAside; // where a damaged file was put, empty when it was not damaged
    std::string refusedBecause; // why a file that is there was not trusted, empty when it was
    ArchiveLogEntries entries;
};

// Reads the log at path; a damaged one is kept aside and what it still holds recovered (the
// caller, holding the log's lock, then writes the recovered entries back under the log's name).
CArchiveLogFileRead ReadArchiveLogFile(const std::string& path);

// The entries of a log's text, for a reader who never writes it (another owner's log): false when
// the text was damaged, and then entries holds what could be recovered.
bool ParseArchiveLog(const std::string& text, ArchiveLogEntries& entries);

} // namespace qor

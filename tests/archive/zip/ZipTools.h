// What the ZIP tests check archives with: the real unzip and Python's zipfile module, a recorder
// of the messages meant for the user, and sources of a chosen size.
#pragma once

#include "archive/ArchiveMessages.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace qor::test {

// The exit status of a command run by the shell, its output discarded.
int RunCommand(const std::string& command);

// "unzip -t" tests every entry (or only the named one) and finds no error.
bool UnzipAccepts(const std::string& archive, const std::string& member = {});

// Python's zipfile finds the archive's CRCs right, and its first entries are the expected ones:
// each (name, source) in order, the entry equal byte for byte to the source (not compared when
// the source is empty).
bool PythonReadsEntries(const std::string& archive, const std::vector<std::pair<std::string, std::string>>& expected);

// The names of the archive's entries in its directory's order, as Python's zipfile reads them.
std::vector<std::string> PythonEntryNames(const std::string& archive);

// Whether a journal of an interrupted append waits in the private state folder.
bool JournalWaits();

// A file of bytes that do not compress.
void WriteRandomFile(const std::string& path, std::size_t size, unsigned seed);

class CRecordedMessages : public IArchiveMessages {
public:
    void Show(Kind kind, const std::string& text) override
    {
        if (kind == Kind::Error)
            errors.push_back(text);
    }
    std::vector<std::string> errors;
};

} // namespace qor::test

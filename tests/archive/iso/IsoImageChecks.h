// What the ISO archiver's tests look at from outside: the image as the real xorriso reads it, the
// messages the archiver shows, and what is left in a folder.
#pragma once

#include "archive/ArchiveMessages.h"

#include <set>
#include <string>
#include <vector>

namespace qor::test {

// Every path below the root that xorriso finds in the image, reading the tree it is told to:
// "any" for Rock Ridge, "norock" for Joliet, "ecma119" for plain ISO 9660 names.
std::set<std::string> ListImagePaths(const std::string& image, const std::string& tree);

// The names in a folder, in order.
std::vector<std::string> FolderEntries(const std::string& folder);

class CRecordedMessages : public IArchiveMessages {
public:
    void Show(Kind kind, const std::string& text) override;

    std::vector<std::string> texts;
};

} // namespace qor::test

// Where a call goes inside an archive: at the root, in a folder named after its user, after the
// month it was made in, or after the folder it came from.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

// The folder inside the archive ("/" separated, never starting with "/", empty for the root) for
// the recording at path, which started at startTime (seconds since 1970, local time decides the
// month), laid out by structureType.
std::string ArchiveFolderFor(std::int32_t structureType, const std::string& path, std::int64_t startTime);

// The folder less a leading prefix folder (a recording list's folder, so the archive holds only
// what lies below it): the prefix itself becomes the archive's top. A folder that does not lie
// below the prefix stays whole.
std::string StripFolderPrefix(const std::string& folder, const std::string& prefix);

} // namespace qor

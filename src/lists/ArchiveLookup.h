// What a recording list needs to know from the archive log: when, if ever, a call was archived.
// The archive subsystem implements it; lists and sorting only ask.
#pragma once

#include <cstdint>
#include <optional>

namespace qor {

class CRvFileListEntry;

class IArchiveLookup {
public:
    virtual ~IArchiveLookup() = default;
    // The time of the latest archive job that holds the call, or nothing for a call never archived.
    virtual std::optional<std::int64_t> ArchivedTime(const CRvFileListEntry& entry) = 0;
};

} // namespace qor

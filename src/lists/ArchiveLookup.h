// What a recording list needs to know from the archive log: when, if ever, a call was archived.
// The archive subsystem implements it; lists and sorting only ask.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qor {

class CRvFileListEntry;

class IArchiveLookup {
public:
    virtual ~IArchiveLookup() = default;
    // The time of the latest archive job that holds the call, or nothing for a call never archived.
    virtual std::optional<std::int64_t> ArchivedTime(const CRvFileListEntry& entry) = 0;
    // The same for many calls: a list of thousands asks once rather than once per call.
    virtual std::vector<std::optional<std::int64_t>> ArchivedTimes(
        const std::vector<std::unique_ptr<CRvFileListEntry>>& entries)
    {
        std::vector<std::optional<std::int64_t>> times;
        times.reserve(entries.size());
        for (const auto& entry : entries)
            times.push_back(ArchivedTime(*entry));
        return times;
    }
};

} // namespace qor

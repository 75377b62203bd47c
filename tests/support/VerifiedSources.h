// The originals whose copies an archiver read back intact, as a set the tests compare.
#pragma once

#include "archive/VerifiedCopy.h"

#include <set>
#include <string>

namespace qor::test {

inline std::set<std::string> SourcesOf(const VerifiedCopies& verified)
{
    std::set<std::string> sources;
    for (const auto& [source, copy] : verified)
        sources.insert(source);
    return sources;
}

} // namespace qor::test

// The classic wildcard comparison used by the search filters and the list's finder.
#pragma once

#include <string_view>

namespace qor {

// "*" matches any run of characters (also none), "?" exactly one; every other character must be
// equal, so callers upper-case both sides for a comparison without regard to case.
bool WildcardMatch(std::string_view pattern, std::string_view text);

} // namespace qor

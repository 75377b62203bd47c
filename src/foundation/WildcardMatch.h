// The classic wildcard comparison used by the search filters and the list's finder.
#pragma once

#include <string_view>

namespace qor {

// "*" matches any run of characters (also none), "?" exactly one; every other character must be
// equal. Callers compare without regard to case by folding both sides first (see CaseFolding.h),
// which gives code points, so "?" stands for one whole character.
bool WildcardMatch(std::string_view pattern, std::string_view text);
bool WildcardMatch(std::u32string_view pattern, std::u32string_view text);

} // namespace qor

// Comparing what users type with what the program shows, without regard to case, in any script:
// Unicode case folding (with canonical composition) by utf8proc.
#pragma once

#include <string>
#include <string_view>

namespace qor {

// The text as shown (see DisplayText), normalised and case-folded, as code points.
std::u32string FoldCase(std::string_view text);

// A search pattern as the filters use it: "*" around it unless already there, then folded.
std::u32string FoldedPattern(std::string_view pattern);

// Whether the shown form of text matches a folded pattern, without regard to case.
bool MatchesFoldedPattern(const std::u32string& pattern, std::string_view text);

} // namespace qor

#include "foundation/WildcardMatch.h"

namespace qor {
namespace {

template <typename Char> bool Match(std::basic_string_view<Char> pattern, std::basic_string_view<Char> text)
{
    // Greedy scan that returns to the last "*" on a mismatch: linear in practice, no recursion.
    constexpr auto npos = std::basic_string_view<Char>::npos;
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starPattern = npos;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == Char('?') || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == Char('*')) {
            starPattern = p++;
            starText = t;
        } else if (starPattern != npos) {
            p = starPattern + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text)
{
    return Match(pattern, text);
}

bool WildcardMatch(std::u32string_view pattern, std::u32string_view text)
{
    return Match(pattern, text);
}

} // namespace qor

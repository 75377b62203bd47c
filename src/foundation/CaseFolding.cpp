#include "foundation/CaseFolding.h"

#include "foundation/Utf8Text.h"
#include "foundation/WildcardMatch.h"

#include <cstdlib>
#include <utf8proc.h>

namespace qor {

std::u32string FoldCase(std::string_view text)
{
    const std::string shown = DisplayText(text);
    utf8proc_uint8_t* folded = nullptr;
    const utf8proc_ssize_t length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(shown.data()),
        static_cast<utf8proc_ssize_t>(shown.size()), &folded,
        static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD));
    std::u32string codes;
    if (length < 0)
        return codes;
    codes.reserve(static_cast<std::size_t>(length));
    const utf8proc_uint8_t* at = folded;
    for (utf8proc_ssize_t left = length; left > 0;) {
        utf8proc_int32_t code = 0;
        const utf8proc_ssize_t used = utf8proc_iterate(at, left, &code);
        if (used <= 0)
            break;
        codes.push_back(static_cast<char32_t>(code));
        at += used;
        left -= used;
    }
    std::free(folded);
    return codes;
}

std::u32string FoldedPattern(std::string_view pattern)
{
    std::string wrapped(pattern);
    if (!wrapped.starts_with('*'))
        wrapped.insert(wrapped.begin(), '*');
    if (!wrapped.ends_with('*'))
        wrapped += '*';
    return FoldCase(wrapped);
}

bool MatchesFoldedPattern(const std::u32string& pattern, std::string_view text)
{
    return WildcardMatch(pattern, FoldCase(text));
}

} // namespace qor

#include "foundation/TerminalText.h"

#include "foundation/Utf8Text.h"

#include <algorithm>
#include <utf8proc.h>

namespace qor {

std::string TerminalText(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        // C1 controls (U+0080 to U+009F) come as 0xC2 followed by 0x80 to 0x9F in UTF-8.
        const bool c1 = byte == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) >= 0x80
            && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
        // U+2028 and U+2029, the Unicode line and paragraph breaks.
        const bool unicodeBreak = byte == 0xE2 && text.substr(at, 3).starts_with("\xE2\x80") && text.size() > at + 2
            && (text[at + 2] == '\xA8' || text[at + 2] == '\xA9');
        // Each field and name stays on its line: a line break in a caller ID would forge the next
        // line. Tabs only lay text out.
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F || c1 || unicodeBreak) {
            shown += '?';
            at += c1 ? 1 : unicodeBreak ? 2 : 0;
        } else {
            shown += text[at];
        }
    }
    return shown;
}

std::string TerminalCell(std::string_view text, std::size_t width)
{
    std::string shown = TerminalText(DisplayText(text));
    std::size_t columns = 0;
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(shown.data());
    for (utf8proc_ssize_t at = 0; at < static_cast<utf8proc_ssize_t>(shown.size());) {
        utf8proc_int32_t codePoint = 0;
        const utf8proc_ssize_t length
            = utf8proc_iterate(bytes + at, static_cast<utf8proc_ssize_t>(shown.size()) - at, &codePoint);
        if (length <= 0)
            break;
        columns += static_cast<std::size_t>(std::max(0, utf8proc_charwidth(codePoint)));
        at += length;
    }
    if (columns < width)
        shown.append(width - columns, ' ');
    return shown;
}

} // namespace qor

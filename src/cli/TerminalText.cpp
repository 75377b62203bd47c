#include "cli/TerminalText.h"

namespace qor::cli {

std::string TerminalText(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        // C1 controls (U+0080 to U+009F) come as 0xC2 followed by 0x80 to 0x9F in UTF-8.
        const bool c1 = byte == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) >= 0x80
            && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
        // Line breaks and tabs only lay text out; every other control character is replaced.
        if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F || c1) {
            shown += '?';
            at += c1 ? 1 : 0;
        } else {
            shown += text[at];
        }
    }
    return shown;
}

} // namespace qor::cli

#include "foundation/XmlEscape.h"

namespace qor {

std::string EscapeXmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '\0')
            continue; // no path or name holds one, and XML has no way to write it
        else if ((byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F)
            out += "&#" + std::to_string(byte) + ";";
        else
            out += c;
    }
    return out;
}

} // namespace qor

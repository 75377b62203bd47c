#include "foundation/XmlEscape.h"

#include <cctype>
#include <cstdint>
#include <utility>

namespace qor {
namespace {

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes one "&...;" reference at the start of text into out; returns the length it used, or 0
// when it is not a reference we know, in which case the "&" stands for itself.
std::size_t DecodeReference(std::string_view text, std::string& out)
{
    static constexpr std::pair<std::string_view, char> kNamed[]
        = { { "&amp;", '&' }, { "&lt;", '<' }, { "&gt;", '>' }, { "&quot;", '"' }, { "&apos;", '\'' } };
    for (const auto& [entity, character] : kNamed) {
        if (text.substr(0, entity.size()) == entity) {
            out += character;
            return entity.size();
        }
    }
    if (text.size() < 4 || text[1] != '#')
        return 0;
    const bool hex = text[2] == 'x' || text[2] == 'X';
    std::size_t index = hex ? 3 : 2;
    std::uint32_t code = 0;
    const std::size_t firstDigit = index;
    for (; index < text.size() && index < firstDigit + 8; ++index) {
        const auto c = static_cast<unsigned char>(text[index]);
        if (hex && std::isxdigit(c))
            code = code * 16 + static_cast<std::uint32_t>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
        else if (!hex && std::isdigit(c))
            code = code * 10 + static_cast<std::uint32_t>(c - '0');
        else
            break;
    }
    if (index == firstDigit || index >= text.size() || text[index] != ';' || code == 0 || code > 0x10FFFF)
        return 0;
    AppendUtf8(out, code);
    return index + 1;
}

// Text as the program means it: references decoded, every kind of line end turned into "\n".
} // namespace

std::string DecodeXmlText(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        if (c == '&') {
            const std::size_t used = DecodeReference(raw.substr(i), out);
            if (used > 0) {
                i += used;
                continue;
            }
        }
        if (c == '\r') {
            // CR CR LF, CR LF and a lone CR each end one line.
            std::size_t next = i + 1;
            if (next < raw.size() && raw[next] == '\r' && next + 1 < raw.size() && raw[next + 1] == '\n')
                ++next;
            if (next < raw.size() && raw[next] == '\n')
                ++next;
            out += '\n';
            i = next;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

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

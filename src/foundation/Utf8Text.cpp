#include "foundation/Utf8Text.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <utf8proc.h>

namespace qor {
namespace {

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string FromWindows1252(std::string_view bytes)
{
    iconv_t converter = iconv_open("UTF-8", "WINDOWS-1252");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::string(bytes);
    std::string out;
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPointer = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t converted = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
        // The five bytes Windows-1252 leaves unassigned stand for themselves, as Latin-1 does.
        if (converted == static_cast<std::size_t>(-1) && errno != E2BIG) {
            const auto byte = static_cast<unsigned char>(*in);
            out += static_cast<char>(0xC0 | byte >> 6);
            out += static_cast<char>(0x80 | (byte & 0x3F));
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return out;
}

} // namespace

std::string TextFileAsUtf8(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    if (!bytes.starts_with("\xFF\xFE") && !bytes.starts_with("\xFE\xFF"))
        return std::string(bytes);
    // "UTF-16" reads the byte order mark to know which end comes first.
    iconv_t converter = iconv_open("UTF-8", "UTF-16");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::string(bytes);
    std::string input(bytes);
    std::string out(input.size() * 2 + 4, '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* outPointer = out.data();
    std::size_t outLeft = out.size();
    iconv(converter, &in, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    // Nearly every text in a header is plain ASCII; those need no decoding at all.
    const auto ascii = std::find_if(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
    text.remove_prefix(static_cast<std::size_t>(ascii - text.begin()));
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    auto left = static_cast<utf8proc_ssize_t>(text.size());
    while (left > 0) {
        utf8proc_int32_t code = 0;
        const utf8proc_ssize_t used = utf8proc_iterate(bytes, left, &code);
        if (used <= 0)
            return false;
        bytes += used;
        left -= used;
    }
    return true;
}

std::string DisplayText(std::string_view bytes)
{
    return IsValidUtf8(bytes) ? std::string(bytes) : FromWindows1252(bytes);
}

std::string_view CutOnCharacterBoundary(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t cut = maxBytes;
    while (cut > 0 && IsContinuationByte(text[cut]))
        --cut;
    return text.substr(0, cut);
}

std::size_t CountCharacters(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        count += IsContinuationByte(c) ? 0 : 1;
    return count;
}

std::string_view FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size(); ++at) {
        if (!IsContinuationByte(text[at]) && seen++ == count)
            break;
    }
    return text.substr(0, at);
}

} // namespace qor

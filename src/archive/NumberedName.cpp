#include "archive/NumberedName.h"

#include <string_view>

namespace qor {
namespace {

constexpr std::size_t kLongestName = 255;

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string NumberedName(const std::string& path, int number)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string_view name = std::string_view(path).substr(folder.size());
    const auto dot = name.rfind('.');
    const std::size_t stemEnd = dot == std::string_view::npos || dot == 0 ? name.size() : dot;
    std::string_view stem = name.substr(0, stemEnd);
    const std::string_view extension = name.substr(stemEnd);
    const std::string mark = " (" + std::to_string(number) + ")";
    const std::size_t room
        = kLongestName > mark.size() + extension.size() ? kLongestName - mark.size() - extension.size() : 0;
    if (stem.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && IsContinuationByte(stem[cut]))
            --cut;
        stem = stem.substr(0, cut);
    }
    return folder + std::string(stem) + mark + std::string(extension);
}

} // namespace qor

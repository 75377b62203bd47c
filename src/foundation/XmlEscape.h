// Text written into the program's XML files so that it reads back exactly: every path Linux
// allows, "<", "&", CR and control characters included; and the same text read back.
#pragma once

#include <string>
#include <string_view>

namespace qor {

// "&", "<" and ">" as entities; CR and the other control characters but tab and LF as numeric
// references; NUL, which no path or name can hold, left out. Every other byte, UTF-8 or not, stays
// as it is.
std::string EscapeXmlText(std::string_view text);

// Text as the program means it: character and entity references decoded (an "&" that starts none
// stands for itself), every kind of line end turned into "\n".
std::string DecodeXmlText(std::string_view raw);

} // namespace qor

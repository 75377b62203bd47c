// Text as the program shows and cuts it. Header fields and file names are bytes: they are shown as
// UTF-8 when they are valid UTF-8 and read as Windows-1252 otherwise; limits on shown text count
// characters, and cuts never split one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qor {

bool IsValidUtf8(std::string_view text);

// The bytes as UTF-8: unchanged when valid, otherwise converted from Windows-1252.
std::string DisplayText(std::string_view bytes);

// A text file's bytes as UTF-8: a UTF-8 byte order mark is dropped, and text that starts with a
// UTF-16 one (as editors save "Unicode" text) is converted, up to any bytes that are not UTF-16.
std::string TextFileAsUtf8(std::string_view bytes);

// Cuts text to at most maxBytes without splitting a UTF-8 character.
std::string_view CutOnCharacterBoundary(std::string_view text, std::size_t maxBytes);

// The number of characters (code points) of UTF-8 text.
std::size_t CountCharacters(std::string_view text);

// The first count characters of UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t count);

} // namespace qor

// How a call's folder inside the archive becomes folders of the image: the names of its levels,
// and the name a recording takes inside its folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qor {

// The levels of a "/"-separated folder: one leading "/" is skipped, each level loses its trailing
// blanks, and an empty level ends the folder (so "a//b" and "a/ /b" both stop after "a").
std::vector<std::string> SplitImageFolder(std::string_view folder);

// The file's own name: the text after its last "/".
std::string_view FileNameOf(std::string_view path);

} // namespace qor

// How a call's folder inside the archive becomes folders of the image: the names of its levels.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qor {

// The levels of a "/"-separated folder: one leading "/" is skipped, each level loses its trailing
// blanks, and an empty level ends the folder (so "a//b" and "a/ /b" both stop after "a"). The
// levels "." and "..", which would name no folder of their own, are left out, and a backslash
// becomes "_" (see ImageName).
std::vector<std::string> SplitImageFolder(std::string_view folder);

// A name as the image holds it: a backslash becomes "_", since systems that read the Joliet names
// take it for a separator.
std::string ImageName(std::string_view name);

} // namespace qor

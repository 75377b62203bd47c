// The listing of an image's tree that the archiver prints before writing it, so that a run on a
// terminal shows what went into the image.
#pragma once

#include "archive/iso/IsoLibrary.h"

#include <cstdio>

namespace qor {

// One line a node below the folder, indented by two blanks a level: "name (directory)",
// "name (regular file), size N" or "name -> target (symbolic link)".
void ListIsoTree(IsoDir* folder, std::FILE* out, int level = 0);

} // namespace qor

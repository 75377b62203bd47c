// The listing of an image's tree that the archiver prints before writing it, so that a run on a
// terminal can show what went into the image (the command line's --verbose asks for it).
#pragma once

#include "archive/iso/IsoLibrary.h"

#include <cstdio>

namespace qor {

// One line a node below the folder, indented by two blanks a level: "name (directory)",
// "name (regular file), size N" or "name -> target (symbolic link)".
void ListIsoTree(IsoDir* folder, std::FILE* out, int level = 0);

// Where the archiver lists each image's tree; nowhere (null) unless a program asks.
void SetIsoTreeListing(std::FILE* out);
std::FILE* IsoTreeListing();

} // namespace qor

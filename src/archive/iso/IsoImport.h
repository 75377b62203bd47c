// Reading an existing image's tree into an image held in memory, from a file already open (so the
// image read is the one that was opened, whatever takes its name meanwhile); its files are read
// from that file whenever their content is needed.
#pragma once

#include "archive/iso/IsoLibrary.h"

#include <functional>
#include <string>

namespace qor {

// The library's result code; the descriptor must stay open as long as the image is used.
int ImportIsoImage(IsoImage* into, int descriptor);

// Calls visit for every folder and file below folder, parents first, with the path of the folder
// that holds it ("" for the root).
void VisitIsoTree(IsoDir* folder, const std::string& path,
    const std::function<void(const std::string& folderPath, IsoNode* node)>& visit);

} // namespace qor

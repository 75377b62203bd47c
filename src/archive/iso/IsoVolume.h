// The image being put together, held in memory by the library until it is written: the tree of the
// image it adds to, if any, its folders and the recordings added from disk. Owns the library's
// image.
#pragma once

#include "archive/iso/IsoLibrary.h"

#include <string>

namespace qor {

class CIsoVolume {
public:
    CIsoVolume() = default;
    ~CIsoVolume() { Free(); }
    CIsoVolume(const CIsoVolume&) = delete;
    CIsoVolume& operator=(const CIsoVolume&) = delete;

    // Makes the empty volume; the library's result code.
    int Open();
    void Free();
    bool IsOpen() const { return m_image != nullptr; }

    IsoImage* Image() const { return m_image; }
    IsoDir* Root() const { return iso_image_get_root(m_image); }

    // The folder `name` inside parent, made when it is not there yet (then *made is true). A node
    // of that name that is no folder is the library's name clash.
    int FindOrMakeFolder(IsoDir* parent, const std::string& name, IsoDir** folder, bool* made);
    // Takes in the tree of the existing image open on descriptor; the library's result code.
    int Import(int descriptor);
    // Adds the regular file at source (a link is followed) into folder under name. Anything else,
    // or a file too large for the image's level, is refused with the library's code; a name that
    // is taken gives ISO_NODE_NAME_NOT_UNIQUE.
    int AddFile(IsoDir* folder, const std::string& source, const std::string& name, IsoFile** file);

private:
    IsoImage* m_image = nullptr;
};

} // namespace qor

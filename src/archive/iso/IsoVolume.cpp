#include "archive/iso/IsoVolume.h"

#include "archive/iso/IsoImport.h"

#include <cstdint>
#include <filesystem>

namespace qor {
namespace {

// ISO 9660 below level 3 holds a file in one extent, whose size field has 32 bits.
constexpr off_t kLargestFile = UINT32_MAX;

} // namespace

int CIsoVolume::Open()
{
    Free();
    const int initialised = InitIsoLibrary();
    if (initialised < 0)
        return initialised;
    const int made = iso_image_new("CALLS", &m_image);
    if (made < 0) {
        m_image = nullptr;
        return made;
    }
    // The library never follows a link on its own: a recording reached through a link the walk
    // allowed is added by its real path (see AddFile), and anything else is no file to add.
    iso_tree_set_follow_symlinks(m_image, 0);
    return made;
}

void CIsoVolume::Free()
{
    if (m_image)
        iso_image_unref(m_image);
    m_image = nullptr;
}

int CIsoVolume::FindOrMakeFolder(IsoDir* parent, const std::string& name, IsoDir** folder, bool* made)
{
    *made = false;
    const int added = iso_tree_add_new_dir(parent, name.c_str(), folder);
    if (added >= 0) {
        *made = true;
        return added;
    }
    IsoNode* existing = nullptr;
    if (added != static_cast<int>(ISO_NODE_NAME_NOT_UNIQUE) || iso_dir_get_node(parent, name.c_str(), &existing) != 1
        || iso_node_get_type(existing) != LIBISO_DIR)
        return added;
    *folder = reinterpret_cast<IsoDir*>(existing);
    return ISO_SUCCESS;
}

int CIsoVolume::Import(int descriptor)
{
    return m_image ? ImportIsoImage(m_image, descriptor) : static_cast<int>(ISO_NULL_POINTER);
}

int CIsoVolume::AddFile(IsoDir* folder, const std::string& source, const std::string& name, IsoFile** file)
{
    // The library reads a relative path from the root, not from the working folder; a recording
    // reached through a link is added as the recording itself.
    std::error_code error;
    const std::string path = std::filesystem::canonical(source, error).string();
    if (error)
        return static_cast<int>(ISO_FILE_DOESNT_EXIST);
    IsoNode* node = nullptr;
    const int added = iso_tree_add_new_node(m_image, folder, name.c_str(), path.c_str(), &node);
    if (added < 0)
        return added;
    if (iso_node_get_type(node) != LIBISO_FILE) {
        iso_node_remove(node);
        return static_cast<int>(ISO_FILE_CANT_ADD);
    }
    *file = reinterpret_cast<IsoFile*>(node);
    if (iso_file_get_size(*file) > kLargestFile) {
        iso_node_remove(node);
        return static_cast<int>(ISO_FILE_TOO_BIG);
    }
    return added;
}

} // namespace qor

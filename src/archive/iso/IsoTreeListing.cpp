#include "archive/iso/IsoTreeListing.h"

#include <atomic>

namespace qor {

void ListIsoTree(IsoDir* folder, std::FILE* out, int level)
{
    IsoDirIter* children = nullptr;
    if (iso_dir_get_children(folder, &children) < 0)
        return;
    const int indent = 2 * level;
    IsoNode* node = nullptr;
    while (iso_dir_iter_next(children, &node) == 1) {
        const char* name = iso_node_get_name(node);
        const IsoNodeType type = iso_node_get_type(node);
        if (type == LIBISO_DIR) {
            std::fprintf(out, "%*s%s (directory)\n", indent, "", name);
            ListIsoTree(reinterpret_cast<IsoDir*>(node), out, level + 1);
        } else if (type == LIBISO_FILE) {
            const auto size = static_cast<unsigned long long>(iso_file_get_size(reinterpret_cast<IsoFile*>(node)));
            std::fprintf(out, "%*s%s (regular file), size %llu\n", indent, "", name, size);
        } else if (type == LIBISO_SYMLINK) {
            const char* target = iso_symlink_get_dest(reinterpret_cast<IsoSymlink*>(node));
            std::fprintf(out, "%*s%s -> %s (symbolic link)\n", indent, "", name, target);
        }
    }
    iso_dir_iter_free(children);
}

namespace {

std::atomic<std::FILE*>& Listing()
{
    static std::atomic<std::FILE*> listing{ nullptr };
    return listing;
}

} // namespace

void SetIsoTreeListing(std::FILE* out)
{
    Listing() = out;
}

std::FILE* IsoTreeListing()
{
    return Listing();
}

} // namespace qor

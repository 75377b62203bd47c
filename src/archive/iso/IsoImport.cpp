#include "archive/iso/IsoImport.h"

#include <memory>

namespace qor {

int ImportIsoImage(IsoImage* into, int descriptor)
{
    if (const int initialised = InitIsoLibrary(); initialised < 0)
        return initialised;
    // The library opens a path; this one names the open file itself.
    const std::string path = "/proc/self/fd/" + std::to_string(descriptor);
    IsoDataSource* source = nullptr;
    if (const int made = iso_data_source_new_from_file(path.c_str(), &source); made < 0)
        return made;
    const std::unique_ptr<IsoDataSource, void (*)(IsoDataSource*)> sourceOwner(source, iso_data_source_unref);
    IsoReadOpts* options = nullptr;
    if (const int made = iso_read_opts_new(&options, 0); made < 0)
        return made;
    const std::unique_ptr<IsoReadOpts, void (*)(IsoReadOpts*)> optionsOwner(options, iso_read_opts_free);
    IsoReadImageFeatures* features = nullptr;
    const int imported = iso_image_import(into, source, options, &features);
    if (features)
        iso_read_image_features_destroy(features);
    return imported;
}

void VisitIsoTree(IsoDir* folder, const std::string& path,
    const std::function<void(const std::string& folderPath, IsoNode* node)>& visit)
{
    IsoDirIter* children = nullptr;
    if (iso_dir_get_children(folder, &children) < 0)
        return;
    IsoNode* node = nullptr;
    while (iso_dir_iter_next(children, &node) == 1) {
        visit(path, node);
        if (iso_node_get_type(node) == LIBISO_DIR)
            VisitIsoTree(reinterpret_cast<IsoDir*>(node), path + "/" + iso_node_get_name(node), visit);
    }
    iso_dir_iter_free(children);
}

} // namespace qor

#include "archive/iso/IsoReadBack.h"

#include "archive/iso/IsoLibrary.h"
#include "foundation/RegularFile.h"

#include <cstring>
#include <memory>
#include <unistd.h>

namespace qor {
namespace {

constexpr std::size_t kChunkSize = 65536;

// Reads up to size bytes, fewer only at the end; -1 on a read error.
template <typename ReadFunction> long ReadFull(ReadFunction read, unsigned char* buffer, std::size_t size)
{
    std::size_t filled = 0;
    while (filled < size) {
        const long got = read(buffer + filled, size - filled);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<long>(filled);
}

bool StreamEqualsFile(IsoStream* stream, int descriptor)
{
    auto copy = std::make_unique<unsigned char[]>(kChunkSize);
    auto original = std::make_unique<unsigned char[]>(kChunkSize);
    const auto readCopy = [stream](unsigned char* to, std::size_t size) {
        return static_cast<long>(iso_stream_read(stream, to, size));
    };
    const auto readOriginal
        = [descriptor](unsigned char* to, std::size_t size) { return static_cast<long>(read(descriptor, to, size)); };
    for (;;) {
        const long copied = ReadFull(readCopy, copy.get(), kChunkSize);
        const long kept = ReadFull(readOriginal, original.get(), kChunkSize);
        if (copied < 0 || kept < 0 || copied != kept)
            return false;
        if (copied == 0)
            return true;
        if (std::memcmp(copy.get(), original.get(), static_cast<std::size_t>(copied)) != 0)
            return false;
    }
}

bool CopyIsIntact(IsoImage* image, const CIsoEntry& entry)
{
    IsoNode* node = nullptr;
    if (iso_tree_path_to_node(image, entry.imagePath.c_str(), &node) != 1 || iso_node_get_type(node) != LIBISO_FILE)
        return false;
    const int descriptor = OpenRegularFile(entry.source);
    if (descriptor < 0)
        return false;
    IsoStream* stream = iso_file_get_stream(reinterpret_cast<IsoFile*>(node));
    bool intact = false;
    if (iso_stream_open(stream) >= 0) {
        intact = StreamEqualsFile(stream, descriptor);
        iso_stream_close(stream);
    }
    close(descriptor);
    return intact;
}

} // namespace

std::set<std::string> ReadBackIsoImage(const std::string& imageFile, const std::vector<CIsoEntry>& entries)
{
    std::set<std::string> intact;
    if (InitIsoLibrary() < 0)
        return intact;
    IsoDataSource* source = nullptr;
    if (iso_data_source_new_from_file(imageFile.c_str(), &source) < 0)
        return intact;
    const std::unique_ptr<IsoDataSource, void (*)(IsoDataSource*)> sourceOwner(source, iso_data_source_unref);
    IsoImage* image = nullptr;
    if (iso_image_new("", &image) < 0)
        return intact;
    const std::unique_ptr<IsoImage, void (*)(IsoImage*)> imageOwner(image, iso_image_unref);
    IsoReadOpts* options = nullptr;
    if (iso_read_opts_new(&options, 0) < 0)
        return intact;
    const std::unique_ptr<IsoReadOpts, void (*)(IsoReadOpts*)> optionsOwner(options, iso_read_opts_free);
    IsoReadImageFeatures* features = nullptr;
    if (iso_image_import(image, source, options, &features) < 0)
        return intact;
    iso_read_image_features_destroy(features);

    for (const CIsoEntry& entry : entries)
        if (CopyIsIntact(image, entry))
            intact.insert(entry.source);
    return intact;
}

} // namespace qor

#include "archive/iso/IsoReadBack.h"

#include "archive/iso/IsoImport.h"
#include "archive/iso/IsoStreamCompare.h"
#include "foundation/RegularFile.h"

#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace qor {
namespace {

IsoFile* FileAt(IsoImage* image, const std::string& path)
{
    IsoNode* node = nullptr;
    if (iso_tree_path_to_node(image, path.c_str(), &node) != 1 || iso_node_get_type(node) != LIBISO_FILE)
        return nullptr;
    return reinterpret_cast<IsoFile*>(node);
}

bool CopyIsIntact(IsoImage* image, const CIsoEntry& entry, CVerifiedCopy& copy)
{
    IsoFile* file = FileAt(image, entry.imagePath);
    if (!file)
        return false;
    // A source that went before the image was read back cannot be compared: the image library
    // reads sources by name while it writes, so what it wrote of a vanished one is not known.
    const int descriptor = OpenRegularFile(entry.source);
    if (descriptor < 0)
        return false;
    copy.originalIdentity = IdentityOf(descriptor);
    const bool intact = copy.originalIdentity == entry.sourceIdentity && IsoFileEqualsFile(file, descriptor, &copy);
    close(descriptor);
    return intact;
}

} // namespace

std::vector<bool> ImageStillHolds(int imageDescriptor, const std::vector<const CVerifiedCopy*>& copies)
{
    std::vector<bool> held(copies.size(), false);
    posix_fadvise(imageDescriptor, 0, 0, POSIX_FADV_DONTNEED);
    IsoImage* image = nullptr;
    if (InitIsoLibrary() < 0 || iso_image_new("", &image) < 0)
        return held;
    const std::unique_ptr<IsoImage, void (*)(IsoImage*)> imageOwner(image, iso_image_unref);
    if (ImportIsoImage(image, imageDescriptor) < 0)
        return held;
    for (std::size_t index = 0; index < copies.size(); ++index) {
        IsoFile* file = FileAt(image, copies[index]->entry);
        CVerifiedCopy now;
        held[index] = file && DigestOfIsoFile(file, now) && now.size == copies[index]->size
            && now.digest == copies[index]->digest;
    }
    return held;
}

CIsoReadBack ReadBackIsoImage(int imageDescriptor, const std::vector<CIsoEntry>& entries, IsoImage* previous,
    const std::vector<std::string>& previousFiles)
{
    CIsoReadBack result;
    // The image was flushed; dropping its cached pages makes the reads come from the disk.
    posix_fadvise(imageDescriptor, 0, 0, POSIX_FADV_DONTNEED);
    IsoImage* image = nullptr;
    if (InitIsoLibrary() < 0 || iso_image_new("", &image) < 0)
        return result;
    const std::unique_ptr<IsoImage, void (*)(IsoImage*)> imageOwner(image, iso_image_unref);
    if (ImportIsoImage(image, imageDescriptor) < 0) {
        result.lostOld = previousFiles;
        return result;
    }
    result.readable = true;
    for (const CIsoEntry& entry : entries)
        if (CVerifiedCopy copy; CopyIsIntact(image, entry, copy)) {
            copy.kind = CVerifiedCopy::Kind::IsoFile;
            copy.entry = entry.imagePath;
            result.verified[entry.source] = copy;
        }
    for (const std::string& path : previousFiles) {
        IsoFile* before = previous ? FileAt(previous, path) : nullptr;
        IsoFile* now = FileAt(image, path);
        if (!before || !now || !IsoFilesEqual(before, now))
            result.lostOld.push_back(path);
    }
    return result;
}

} // namespace qor

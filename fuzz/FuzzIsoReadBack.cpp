// Feeds arbitrary bytes as an ISO image to the read-back that decides which calls an image holds
// intact (and so may be removed from their folders), and to the walk of an earlier image that a
// job adds to. A call counts as held only when the image's copy has its exact size and content.
#include "FuzzFiles.h"
#include "archive/iso/IsoImport.h"
#include "archive/iso/IsoLibrary.h"
#include "archive/iso/IsoReadBack.h"
#include "foundation/FileIdentity.h"

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// The calls the seed images were made from (fuzz/run), here with their own content.
const std::string kCallContent = "seed call\n";

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qor::fuzz::WriteWholeFile(qor::fuzz::ScratchPath("a.qor"), kCallContent);
    qor::fuzz::WriteWholeFile(qor::fuzz::ScratchPath("b.qor"), kCallContent + kCallContent);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string imagePath = qor::fuzz::ScratchPath("image.iso");
    if (!qor::fuzz::WriteWholeFile(imagePath, std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    const int image = open(imagePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (image < 0)
        return 0;
    std::vector<qor::CIsoEntry> entries;
    for (const char* name : { "a.qor", "b.qor" }) {
        qor::CIsoEntry entry{ qor::fuzz::ScratchPath(name), std::string("/") + name, {} };
        qor::IdentityOfPath(entry.source, entry.sourceIdentity);
        entries.push_back(entry);
    }
    const qor::CIsoReadBack readBack = qor::ReadBackIsoImage(image, entries, nullptr, { "/a.qor" });
    for (const auto& [source, copy] : readBack.verified) {
        const std::uint64_t sourceSize = source.ends_with("a.qor") ? kCallContent.size() : 2 * kCallContent.size();
        if (copy.size != sourceSize)
            std::abort(); // never another file's copy counted as the call's
    }
    if (!readBack.readable && !readBack.verified.empty())
        std::abort();

    // An earlier image a job adds to: its whole tree is walked.
    IsoImage* earlier = nullptr;
    if (qor::InitIsoLibrary() >= 0 && iso_image_new("", &earlier) >= 0) {
        const std::unique_ptr<IsoImage, void (*)(IsoImage*)> owner(earlier, iso_image_unref);
        if (qor::ImportIsoImage(earlier, image) >= 0)
            qor::VisitIsoTree(iso_image_get_root(earlier), "", [](const std::string&, IsoNode*) {});
    }
    close(image);
    return 0;
}

// The ISO 9660 archiver: each call goes into an image volume held in memory as it is added, and
// the whole image (ISO 9660, Rock Ridge and Joliet names) is written at the end. An existing image
// is added to: its tree is taken in, the new image is written as a locked partial file beside it,
// read back (every older file and every new call compared), and only then put in its place. A call
// whose name the image already holds is not added again when the content is the same, and gets a
// numbered name when it differs.
#pragma once

#include "archive/ArchiveMessages.h"
#include "archive/Archiver.h"
#include "archive/PartialFile.h"
#include "archive/iso/IsoReadBack.h"
#include "archive/iso/IsoSizeEstimate.h"
#include "archive/iso/IsoVolume.h"

#include <atomic>
#include <string>
#include <vector>

namespace qor {

class CISOArchiver : public IArchiver {
public:
    static constexpr int kKind = 3;
    static constexpr const char* kCancelledText = "You have canceled the operation";

    // Messages may be null; then nothing is shown.
    CISOArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages);
    ~CISOArchiver() override;

    int Write() override;
    int Cancel() override;
    int Add(const std::string& target, const std::string& source, const std::string& folder,
        std::int64_t startTime) override;
    int Kind() const override { return kKind; }
    // The counters start again, but the image keeps what it holds, and so its size.
    void Reset() override;

private:
    // Claims the target (its partial file) and takes in the image already there; false, having said
    // why, when the target cannot be written.
    bool Prepare(const std::string& target);
    int WriteImage();
    void TakeInExistingTree();
    // Puts the source into folder under its own name, a numbered one when that is taken by another
    // call, or finds it there already; the library's code.
    int AddUnderFreeName(
        IsoDir* folder, const std::string& folderPath, const std::string& source, const CFileIdentity& identity);
    int RefuseCall(int libraryCode, const std::string& source);
    // Puts the written image in place of the target; false, having said why, when it may not.
    bool PutInPlace();
    // Names the image as the file that holds every verified copy.
    void HeldBy(const CFileIdentity& image);

    ArchiveProgressFunction m_progress;
    CIsoVolume m_volume;
    CIsoSizeEstimate m_estimate;
    std::string m_target;
    CFolderHandle m_folder; // where the image is, reached once, never through another user's link
    std::string m_name;
    CPartialFile m_partial;
    int m_existing = -1; // the image added to, open while its files are read
    CFileIdentity m_existingIdentity;
    unsigned m_existingMode = 0; // its permission bits, which the new image keeps (narrowed)
    std::vector<std::string> m_existingFiles;
    bool m_prepared = false;
    bool m_unusable = false;
    bool m_addedNew = false;
    std::vector<CIsoEntry> m_entries;
    std::atomic<bool> m_cancelled = false;
};

} // namespace qor

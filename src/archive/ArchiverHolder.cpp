#include "archive/ArchiverHolder.h"

#include "archive/ArchiveStructure.h"
#include "archive/ArchiveTypes.h"
#include "archive/DiskArchiver.h"
#include "archive/iso/IsoArchiver.h"
#include "archive/zip/ZipArchiver.h"

#include <new>

namespace qor {

int CArchiverHolder::Create(const std::string& target, std::int32_t archiveType, std::int32_t thresholdMB,
    ArchiveProgressFunction progress, IArchiveMessages* messages)
{
    std::unique_ptr<IArchiver> made;
    try {
        switch (archiveType) {
        case kArchiveDisk:
            made = std::make_unique<CDiskArchiver>(std::move(progress), messages);
            break;
        case kArchiveZip:
            made = std::make_unique<CZIPArchiver>(std::move(progress), messages);
            break;
        case kArchiveIso:
            made = std::make_unique<CISOArchiver>(std::move(progress), messages);
            break;
        default:
            Release();
            return kNoArchiver;
        }
    } catch (const std::bad_alloc&) {
        Release();
        return IArchiver::kFailed;
    }
    made->Reset();
    made->SetThresholdMB(thresholdMB);
    std::lock_guard guard(m_mutex);
    m_archiver = std::move(made);
    m_archiveType = archiveType;
    m_target = target;
    return 0;
}

int CArchiverHolder::Add(
    const std::string& source, const std::string& folder, const std::string& prefix, std::int64_t startTime)
{
    if (!m_archiver)
        return IArchiver::kFailed;
    const std::string inArchive = prefix.empty() ? folder : StripFolderPrefix(folder, prefix);
    return m_archiver->Add(m_target, source, inArchive, startTime);
}

int CArchiverHolder::Write()
{
    return m_archiver ? m_archiver->Write() : kNoArchiver;
}

int CArchiverHolder::Cancel()
{
    std::lock_guard guard(m_mutex);
    return m_archiver ? m_archiver->Cancel() : kNoArchiver;
}

int CArchiverHolder::Count() const
{
    return m_archiver ? m_archiver->Count() : 0;
}

VerifiedCopies CArchiverHolder::Verified() const
{
    return m_archiver ? m_archiver->Verified() : VerifiedCopies();
}

bool CArchiverHolder::LeftOut(const std::string& source) const
{
    return m_archiver && m_archiver->LeftOut().contains(source);
}

std::map<std::string, std::string> CArchiverHolder::WhyNotArchived() const
{
    return m_archiver ? m_archiver->WhyNotArchived() : std::map<std::string, std::string>();
}

std::vector<CMadeFile> CArchiverHolder::Made() const
{
    return m_archiver ? m_archiver->Made() : std::vector<CMadeFile>();
}

void CArchiverHolder::Release()
{
    std::lock_guard guard(m_mutex);
    m_archiver.reset();
}

} // namespace qor

#include "archive/iso/IsoArchiver.h"

#include "archive/iso/IsoFolderPath.h"
#include "archive/iso/IsoImageWriter.h"
#include "archive/iso/IsoTreeListing.h"
#include "foundation/Logger.h"

#include <cstdio>

namespace qor {

CISOArchiver::CISOArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages)
    : IArchiver(messages)
    , m_progress(std::move(progress))
{
    m_sizeBytes = m_estimate.Bytes();
    if (const int opened = m_volume.Open(); opened < 0)
        Tell(CIsoStatus{ opened }.Text());
}

int CISOArchiver::Add(
    const std::string& target, const std::string& source, const std::string& folder, std::int64_t /*startTime*/)
{
    if (!m_volume.IsOpen())
        return kFailed;
    m_target = target;
    if (m_cancelled)
        return RefuseCall(kIsoCancelledCode);
    if (ThresholdReached())
        return kFailed;

    IsoDir* parent = m_volume.Root();
    std::string folderPath;
    for (const std::string& level : SplitImageFolder(folder)) {
        IsoDir* child = nullptr;
        bool made = false;
        if (const int found = m_volume.FindOrMakeFolder(parent, level, &child, &made); found < 0)
            return RefuseCall(found);
        // The library may shorten an overlong name; paths follow the name it kept.
        const char* name = iso_node_get_name(reinterpret_cast<IsoNode*>(child));
        if (made)
            m_estimate.AddFolder(folderPath, name);
        folderPath += '/';
        folderPath += name;
        parent = child;
    }
    IsoFile* file = nullptr;
    if (const int added = m_volume.AddFile(parent, source, &file); added < 0)
        return RefuseCall(added);

    const std::string name = iso_node_get_name(reinterpret_cast<IsoNode*>(file));
    m_estimate.AddFile(folderPath, name, static_cast<std::uint64_t>(iso_file_get_size(file)));
    m_sizeBytes = m_estimate.Bytes();
    const std::string imagePath = folderPath + "/" + name;
    m_entries.push_back({ source, imagePath });
    if (!m_refusedOne)
        ++m_count;
    QOR_LOG("Archiver: ISO %s -> %s\n", source.c_str(), imagePath.c_str());
    return 0;
}

int CISOArchiver::Write()
{
    if (!m_volume.IsOpen())
        return kFailed;
    if (m_cancelled) {
        Tell(kCancelledText);
        return kCancelled;
    }
    ListIsoTree(m_volume.Root(), stdout);
    std::fflush(stdout);

    const CIsoStatus written = WriteIsoImage(m_volume.Image(), m_target, m_cancelled, m_progress);
    if (written.Cancelled()) {
        Tell(kCancelledText);
        return kCancelled;
    }
    if (!written.Ok()) {
        Tell(written.Text());
        return kFailed;
    }
    m_volume.Free();
    m_verified = ReadBackIsoImage(m_target, m_entries);
    return 0;
}

int CISOArchiver::Cancel()
{
    m_cancelled = true;
    return 0;
}

void CISOArchiver::Reset()
{
    IArchiver::Reset();
    m_sizeBytes = m_estimate.Bytes();
}

int CISOArchiver::RefuseCall(int libraryCode)
{
    // One failed call makes the whole job count as having archived nothing, calls after it too;
    // what may be deleted afterwards follows the calls read back, not this count.
    m_count = 0;
    m_refusedOne = true;
    if (libraryCode == kIsoCancelledCode)
        return kCancelled;
    Tell(CIsoStatus{ libraryCode }.Text());
    return kFailed;
}

} // namespace qor

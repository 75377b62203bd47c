#include "archive/iso/IsoArchiver.h"

#include "archive/NumberedName.h"
#include "archive/iso/IsoFolderPath.h"
#include "archive/iso/IsoImageWriter.h"
#include "archive/iso/IsoImport.h"
#include "archive/iso/IsoStreamCompare.h"
#include "archive/iso/IsoTreeListing.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"
#include "foundation/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr int kMostNumbers = 10'000;

bool SameContent(IsoNode* node, const std::string& source)
{
    if (iso_node_get_type(node) != LIBISO_FILE)
        return false;
    const int descriptor = OpenRegularFile(source);
    if (descriptor < 0)
        return false;
    const bool same = IsoFileEqualsFile(reinterpret_cast<IsoFile*>(node), descriptor);
    close(descriptor);
    return same;
}

} // namespace

CISOArchiver::CISOArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages)
    : IArchiver(messages)
    , m_progress(std::move(progress))
{
    m_sizeBytes = m_estimate.Bytes();
    if (const int opened = m_volume.Open(); opened < 0)
        Tell(CIsoStatus{ opened }.Text());
}

CISOArchiver::~CISOArchiver()
{
    // The library reads the old image's files through its descriptor until the volume is gone.
    m_volume.Free();
    if (m_existing >= 0)
        close(m_existing);
}

bool CISOArchiver::Prepare(const std::string& target)
{
    m_prepared = true;
    m_target = target;
    const auto refuse = [this](const std::string& why) {
        ReportError("The image " + m_target + " was left unchanged: " + why + ".");
        m_unusable = true;
        return false;
    };
    if (!OpenTrustedFolder(FolderOf(target), m_folder))
        return refuse(errno == EPERM ? std::string("its folder is reached through another user's link")
                                     : std::string("it cannot be written (") + std::strerror(errno) + ")");
    m_name = FileNameOf(target);
    RemoveStalePartials(m_folder);
    // Claimed before the old image is read, so no other job can replace it meanwhile unseen.
    if (const int created = m_partial.Create(m_folder, m_name, true, 0666); created != 0)
        return refuse(created == EBUSY ? "another job is writing to it"
                : created == EEXIST    ? "a file another user left where it is made is in the way"
                                       : std::string("it cannot be written (") + std::strerror(created) + ")");
    m_existing
        = openat(m_folder.Descriptor(), m_name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_existing < 0) {
        if (errno == ENOENT)
            return true;
        return refuse(errno == ELOOP
                ? std::string("it is a symbolic link, and archives are never written through links")
                : std::string("it cannot be read (") + std::strerror(errno) + ")");
    }
    struct stat status { };
    if (fstat(m_existing, &status) != 0 || !S_ISREG(status.st_mode))
        return refuse("it is not a regular file");
    if (status.st_uid != geteuid())
        return refuse("it belongs to another user");
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 || status.st_nlink != 1)
        return refuse(status.st_nlink != 1
                ? "it has another name besides (a hard link), so it is not added to; archive into a new file"
                : "others can write it, so it is not added to; archive into a new file");
    m_existingIdentity = IdentityOf(m_existing);
    m_existingMode = status.st_mode & 07777;
    if (const int imported = m_volume.Import(m_existing); imported < 0)
        return refuse("it is not an ISO image that calls can be added to (" + CIsoStatus{ imported }.Text() + ")");
    TakeInExistingTree();
    return true;
}

void CISOArchiver::TakeInExistingTree()
{
    VisitIsoTree(m_volume.Root(), "", [this](const std::string& folderPath, IsoNode* node) {
        const char* name = iso_node_get_name(node);
        if (iso_node_get_type(node) == LIBISO_DIR) {
            m_estimate.AddFolder(folderPath, name);
        } else if (iso_node_get_type(node) == LIBISO_FILE) {
            const auto size = static_cast<std::uint64_t>(iso_file_get_size(reinterpret_cast<IsoFile*>(node)));
            m_estimate.AddFile(folderPath, name, size);
            m_existingFiles.push_back(folderPath + "/" + name);
        }
    });
    m_sizeBytes = m_estimate.Bytes();
    QOR_LOG("Archiver: ISO %s holds %zu files; the new calls are added to them\n", m_target.c_str(),
        m_existingFiles.size());
}

int CISOArchiver::Add(
    const std::string& target, const std::string& source, const std::string& folder, std::int64_t /*startTime*/)
{
    if (!m_volume.IsOpen())
        return kFailed;
    if (!m_prepared)
        Prepare(target);
    if (m_unusable)
        return kFailed;
    if (m_cancelled)
        return RefuseCall(kIsoCancelledCode, source);
    if (ThresholdReached()) {
        m_leftOut.insert(source);
        return kFailed;
    }
    // What cannot be looked at now keeps no identity, so it never counts as archived.
    CFileIdentity identity;
    if (struct stat status{}; stat(source.c_str(), &status) == 0) {
        NoteSource(status.st_mode, status.st_gid);
        identity = { static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino) };
    }

    IsoDir* parent = m_volume.Root();
    std::string folderPath;
    for (const std::string& level : SplitImageFolder(folder)) {
        IsoDir* child = nullptr;
        bool made = false;
        if (const int found = m_volume.FindOrMakeFolder(parent, level, &child, &made); found < 0)
            return RefuseCall(found, source);
        // The library may shorten an overlong name; paths follow the name it kept.
        const char* name = iso_node_get_name(reinterpret_cast<IsoNode*>(child));
        if (made)
            m_estimate.AddFolder(folderPath, name);
        folderPath += '/';
        folderPath += name;
        parent = child;
    }
    if (const int added = AddUnderFreeName(parent, folderPath, source, identity); added < 0)
        return RefuseCall(added, source);
    ++m_count;
    return 0;
}

int CISOArchiver::AddUnderFreeName(
    IsoDir* folder, const std::string& folderPath, const std::string& source, const CFileIdentity& identity)
{
    const std::string ownName = ImageName(FileNameOf(source));
    std::string name = ownName;
    for (int number = 2; number < kMostNumbers; ++number) {
        IsoFile* file = nullptr;
        const int added = m_volume.AddFile(folder, source, name, &file);
        if (added >= 0) {
            const std::string kept = iso_node_get_name(reinterpret_cast<IsoNode*>(file));
            m_estimate.AddFile(folderPath, kept, static_cast<std::uint64_t>(iso_file_get_size(file)));
            m_sizeBytes = m_estimate.Bytes();
            m_entries.push_back({ source, folderPath + "/" + kept, identity });
            m_addedNew = true;
            if (name != ownName)
                QOR_LOG("Archiver: ISO %s stored as %s: the image holds another call named %s\n", source.c_str(),
                    kept.c_str(), ownName.c_str());
            QOR_LOG("Archiver: ISO %s -> %s\n", source.c_str(), m_entries.back().imagePath.c_str());
            return added;
        }
        IsoNode* existing = nullptr;
        if (added != static_cast<int>(ISO_NODE_NAME_NOT_UNIQUE)
            || iso_dir_get_node(folder, name.c_str(), &existing) != 1)
            return added;
        // The same call archived again: the copy the image holds is checked, not added twice.
        if (SameContent(existing, source)) {
            m_entries.push_back({ source, folderPath + "/" + name, identity });
            QOR_LOG("Archiver: ISO %s is already in %s as %s\n", source.c_str(), m_target.c_str(),
                m_entries.back().imagePath.c_str());
            return ISO_SUCCESS;
        }
        name = NumberedName(ownName, number);
    }
    return static_cast<int>(ISO_NODE_NAME_NOT_UNIQUE);
}

int CISOArchiver::Write()
{
    const int result = WriteImage();
    // Whatever happened, the partial file goes (a committed one has taken the target's name).
    m_partial.Close();
    return result;
}

int CISOArchiver::WriteImage()
{
    if (!m_volume.IsOpen() || m_unusable || !m_prepared)
        return kFailed;
    if (m_cancelled) {
        Tell(kCancelledText);
        return kCancelled;
    }
    if (!m_addedNew) {
        // Every call is in the image already: nothing to write, only to check.
        m_verified = ReadBackIsoImage(m_existing, m_entries, nullptr, {}).verified;
        HeldBy(IdentityOf(m_existing));
        return 0;
    }
    RestrictAccess(m_partial.Descriptor(), m_existing >= 0 ? m_existingMode : m_partial.RequestedMode());
    if (std::FILE* listing = IsoTreeListing()) {
        ListIsoTree(m_volume.Root(), listing);
        std::fflush(listing);
    }

    const CIsoStatus written = WriteIsoImage(m_volume.Image(), m_partial.Descriptor(), m_cancelled, m_progress);
    if (written.Cancelled()) {
        Tell(kCancelledText);
        return kCancelled;
    }
    if (!written.Ok()) {
        ReportError("The image " + m_target + " was left as it was: " + written.Text());
        return kFailed;
    }
    const CIsoReadBack readBack
        = ReadBackIsoImage(m_partial.Descriptor(), m_entries, m_volume.Image(), m_existingFiles);
    if (!readBack.readable || !readBack.lostOld.empty()) {
        ReportError("The image " + m_target + " was left as it was: the new image did not read back "
            + (readBack.readable ? "with every file of the old one intact (" + readBack.lostOld.front() + ")"
                                 : std::string("as an image")));
        return kFailed;
    }
    if (!PutInPlace())
        return kFailed;
    m_verified = readBack.verified;
    HeldBy(IdentityOf(m_partial.Descriptor()));
    if (m_existing < 0)
        m_made.push_back({ m_target, IdentityOf(m_partial.Descriptor()) });
    return 0;
}

bool CISOArchiver::PutInPlace()
{
    const int placed = m_existing >= 0 ? m_partial.Replace(m_name, m_existingIdentity) : m_partial.CommitAs(m_name);
    if (placed != 0) {
        ReportError("The image " + m_target + " was left as it was: "
            + (placed == EBUSY || placed == EEXIST
                    ? std::string("another file took its name meanwhile")
                    : std::string("it cannot take its name (") + std::strerror(placed) + ")"));
        return false;
    }
    return true;
}

void CISOArchiver::HeldBy(const CFileIdentity& image)
{
    for (auto& [source, copy] : m_verified) {
        copy.container = m_target;
        copy.containerIdentity = image;
    }
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

int CISOArchiver::RefuseCall(int libraryCode, const std::string& source)
{
    // Only this call is left out; the image holds the others, and the log says what it holds.
    if (libraryCode == kIsoCancelledCode)
        return kCancelled;
    ReportError(
        "The call " + source + " cannot be added to the image " + m_target + ": " + CIsoStatus{ libraryCode }.Text());
    return kFailed;
}

} // namespace qor

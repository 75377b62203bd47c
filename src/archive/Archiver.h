// One archive being written: a ZIP file, an ISO 9660 image or a folder tree. The archive manager
// hands each call with the folder it belongs in inside the archive, then asks for the archive to be
// written. After writing, an archiver knows which calls it read back from the finished archive and
// found intact; only those may ever be deleted or stripped.
#pragma once

#include "archive/ArchiveMessages.h"
#include "archive/VerifiedCopy.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qor {

// A file an archive run made, known by its path and identity.
struct CMadeFile {
    std::string path;
    CFileIdentity identity;
};

// Progress of the archive being written, in percent (0 to 100); called on the manager's worker.
using ArchiveProgressFunction = std::function<void(double percent)>;

class IArchiver {
public:
    static constexpr std::uint64_t kMegabyte = 1'048'576;
    // Results besides 0: a failure, and a run the user cancelled.
    static constexpr int kFailed = -1;
    static constexpr int kCancelled = -101;

    virtual ~IArchiver() = default;

    // Writes or finishes the archive: 0 (the ZIP archiver: the number of calls written) on
    // success, a negative code on failure.
    virtual int Write() = 0;
    // Stops at the next step; may be called from any thread.
    virtual int Cancel() = 0;
    // Takes one call: target is the archive's path, source the recording's full path, folder its
    // folder inside the archive ("/" separated, may be empty), startTime the call's start (seconds
    // since 1970). 0 when taken.
    virtual int Add(
        const std::string& target, const std::string& source, const std::string& folder, std::int64_t startTime)
        = 0;
    // 2 for the ZIP and disk archivers, 3 for the ISO archiver.
    virtual int Kind() const = 0;
    // The archive's size in whole megabytes.
    virtual std::int64_t SizeMB() const { return static_cast<std::int64_t>(m_sizeBytes / kMegabyte); }
    virtual void Reset()
    {
        m_sizeBytes = 0;
        m_count = 0;
        m_whyNot.clear();
        m_made.clear();
    }

    void SetThresholdMB(std::int32_t megabytes) { m_thresholdMB = megabytes; }
    std::int32_t ThresholdMB() const { return m_thresholdMB; }
    // Calls written (ZIP, disk) or added to the image (ISO).
    std::int32_t Count() const { return m_count; }
    // After Write: the sources whose copies were read back from the finished archive, flushed to
    // disk, and found equal to the original, with what each copy holds.
    const VerifiedCopies& Verified() const { return m_verified; }
    // The calls left out because the archive reached its size limit (not a failure).
    const std::set<std::string>& LeftOut() const { return m_leftOut; }
    // Why a call handed over was not archived, where the archiver knows better than "not read
    // back intact"; by the call's path.
    const std::map<std::string, std::string>& WhyNotArchived() const { return m_whyNot; }
    // The files this run made anew (a new archive file, or copies in a folder tree), which go again
    // when the archive log cannot name them.
    const std::vector<CMadeFile>& Made() const { return m_made; }

protected:
    // Messages may be null; then nothing is shown.
    explicit IArchiver(IArchiveMessages* messages)
        : m_messages(messages)
    {
    }

    // Logs a failure and shows it to the user.
    void ReportError(const std::string& text) const;
    // Logs why the call is not archived, and keeps the reason for the call (what it has in common
    // with other calls is shown once, with ReportError).
    void NotArchived(const std::string& source, const std::string& why);
    // Shows a text to the user, such as the image library's own account of how writing went.
    void Tell(const std::string& text) const;

    bool ThresholdReached() const { return m_thresholdMB > 0 && SizeMB() >= m_thresholdMB; }

    // An archive is as private as the most private call it holds: the group and other permission
    // bits that every source has (the owner's are always kept, so the archive can be added to),
    // and group bits only for the group every source has. Nobody else ever writes to it: a file
    // others could open for writing is never added to.
    void NoteSource(unsigned mode, gid_t group);
    // The permission bits an archive of mode may keep (its group aside).
    unsigned MostPrivate(unsigned mode) const { return mode & 07755u & (m_privateMask | 07000u); }
    // Gives the file open on descriptor the most private bits of mode, in the sources' group: a
    // folder's setgid bit may have given it another group, whose members the calls never let in;
    // where the file cannot take the sources' group, the group is let in to nothing.
    void RestrictAccess(int descriptor, unsigned mode) const;
    // Gives the file open on descriptor these permission bits, group bits only in group (none
    // without one, or when the file cannot take it). False when the bits cannot be set.
    static bool GiveAccess(int descriptor, unsigned bits, std::optional<gid_t> group);

    std::uint64_t m_sizeBytes = 0;
    std::int32_t m_thresholdMB = 0;
    std::int32_t m_count = 0;
    VerifiedCopies m_verified;
    std::set<std::string> m_leftOut;
    std::map<std::string, std::string> m_whyNot;
    std::vector<CMadeFile> m_made;
    unsigned m_privateMask = 0777u;
    std::optional<gid_t> m_sourceGroup; // the group every source so far has
    bool m_sourceGroupsDiffer = false;

private:
    IArchiveMessages* m_messages;
};

} // namespace qor

#include "archive/zip/ZipRepair.h"

#include "archive/zip/ZipCentralDirectory.h"
#include "archive/zip/ZipDirectoryReader.h"
#include "archive/zip/ZipFileIo.h"
#include "archive/zip/ZipJournal.h"
#include "archive/zip/ZipSalvage.h"
#include "foundation/FileLock.h"
#include "foundation/Logger.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

std::string Damage(int archive)
{
    struct stat status { };
    if (fstat(archive, &status) != 0)
        return std::strerror(errno);
    const auto readAt = [archive](std::uint64_t offset, char* into, std::size_t size) {
        return ReadAllAt(archive, into, size, offset);
    };
    CZipDirectory directory;
    std::string damage;
    return ReadZipDirectory(readAt, static_cast<std::uint64_t>(status.st_size), directory, damage) ? std::string()
                                                                                                   : damage;
}

// Without a journal: a new directory for the entries the file holds whole, written after everything
// it holds, so that no byte of it is lost.
std::string Rebuild(int archive, const std::string& damage)
{
    struct stat status { };
    if (fstat(archive, &status) != 0)
        return std::strerror(errno);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    const CZipSalvage salvage = SalvageZipEntries(archive, size);
    if (salvage.entries.empty())
        return "it is damaged (" + damage + "), and holds no entry that could be recovered";
    CZipCentralDirectory directory;
    for (const CZipEntryRecord& entry : salvage.entries)
        directory.Add(entry);
    if (!WriteAllAt(archive, directory.Encode(size), size) || fsync(archive) != 0)
        return std::string("its directory cannot be rebuilt (") + std::strerror(errno) + ")";
    QOR_LOG("Archiver: ZIP directory rebuilt from %zu whole entries (it was damaged: %s)\n", salvage.entries.size(),
        damage.c_str());
    return "its directory was rebuilt from the " + std::to_string(salvage.entries.size())
        + " entries it holds whole (it was damaged: " + damage + ")";
}

} // namespace

std::vector<CZipRepairOutcome> RepairPendingZipJournals()
{
    std::vector<CZipRepairOutcome> outcomes;
    const std::string folder = CZipJournal::Folder(false);
    DIR* directory = folder.empty() ? nullptr : opendir(folder.c_str());
    if (!directory)
        return outcomes;
    std::vector<std::string> journals;
    while (const dirent* item = readdir(directory))
        if (std::string name = item->d_name; name.ends_with(".journal"))
            journals.push_back(folder + name);
    closedir(directory);
    for (const std::string& journalPath : journals) {
        CZipJournal journal("");
        if (!journal.Load(journalPath)) {
            QOR_LOG("Archiver: ZIP journal %s is damaged; left for inspection\n", journalPath.c_str());
            continue;
        }
        const int archive = OpenLockedForWriting(journal.ArchivePath(), std::chrono::milliseconds(0));
        if (archive < 0) {
            if (errno == EBUSY)
                continue; // a job is adding to it right now: the journal is its own
            QOR_LOG("Archiver: ZIP journal %s names %s, which is gone; removed\n", journalPath.c_str(),
                journal.ArchivePath().c_str());
            journal.Discard();
            continue;
        }
        CZipJournal::CIdentity identity;
        if (!CZipJournal::IdentityOf(archive, identity) || !(identity == journal.Identity())) {
            QOR_LOG("Archiver: ZIP journal %s belongs to a file no longer there; removed\n", journalPath.c_str());
            journal.Discard();
        } else if (journal.Restore(archive)) {
            QOR_LOG(
                "Archiver: ZIP %s repaired from the journal of an interrupted run\n", journal.ArchivePath().c_str());
            outcomes.push_back({ journal.ArchivePath(), true, "repaired from the journal of an interrupted run" });
        } else {
            outcomes.push_back({ journal.ArchivePath(), false,
                std::string("cannot be repaired from its journal (") + std::strerror(errno) + ")" });
        }
        close(archive);
    }
    return outcomes;
}

CZipRepairOutcome RepairZipArchive(const std::string& path)
{
    CZipRepairOutcome outcome{ path, false, {} };
    const int archive = OpenLockedForWriting(path, std::chrono::milliseconds(0));
    if (archive < 0) {
        outcome.message = errno == EBUSY ? "another job is writing to it"
            : errno == ELOOP             ? "it is a symbolic link"
            : errno == EINVAL            ? "it is not a regular file"
                                         : std::strerror(errno);
        return outcome;
    }
    CZipJournal journal(path);
    bool repaired = false;
    std::string error;
    if (!journal.RepairIfLeft(archive, repaired, error)) {
        outcome.message = error;
    } else if (const std::string damage = Damage(archive); !damage.empty()) {
        outcome.message = Rebuild(archive, damage);
        outcome.repaired = Damage(archive).empty();
    } else {
        outcome.repaired = true;
        outcome.message = repaired ? "repaired from the journal of an interrupted run" : "intact; nothing to repair";
    }
    close(archive);
    return outcome;
}

} // namespace qor

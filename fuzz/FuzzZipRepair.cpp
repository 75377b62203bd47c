// Feeds arbitrary bytes as an archive that a run died while adding to, to the repair both programs
// run at start and "archive --repair" runs on demand. With the journal the dying run left, the
// archive comes back byte for byte as it was; without one, a repair that says it rebuilt the
// archive keeps every byte it held and leaves a directory that reads.
#include "FuzzFiles.h"
#include "archive/zip/ZipDirectoryReader.h"
#include "archive/zip/ZipJournal.h"
#include "archive/zip/ZipRepair.h"
#include "foundation/AtomicFile.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <unistd.h>

namespace {

std::string Content(const std::string& path)
{
    std::string content;
    qor::ReadWholeFile(path, content, 1 << 24);
    return content;
}

// Writes over the file in place, as an append does: the same file, so the journal still belongs to it.
void Overwrite(const std::string& path, const std::string& bytes)
{
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0)
        std::abort();
    if (write(file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    close(file);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qor::fuzz::UsePrivateDataFolders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool killedWhileAdding = input.ConsumeBool();
    const std::string before = input.ConsumeRandomLengthString(size);
    const std::size_t tailOffset = input.ConsumeIntegralInRange<std::size_t>(0, before.size());
    const std::string appended = input.ConsumeRemainingBytesAsString();
    const std::string path = qor::fuzz::ScratchPath("archive.zip");
    unlink(path.c_str());
    std::error_code error;
    std::filesystem::remove_all(qor::CZipJournal::Folder(false), error); // none left by an earlier input
    Overwrite(path, before);

    if (killedWhileAdding) {
        // The run saved the archive's end, wrote over it, and died before its new directory.
        const int archive = open(path.c_str(), O_RDWR | O_CLOEXEC);
        qor::CZipJournal journal(path);
        const bool saved = journal.Save(archive, tailOffset, before.size());
        close(archive);
        // A run saves from its directory on, so what it saved holds the directory's end record.
        if (!saved || before.find(std::string_view("PK\x05\x06", 4), tailOffset) == std::string::npos)
            return 0;
        Overwrite(path, before.substr(0, tailOffset) + appended);
        qor::RepairZipArchive(path);
        if (!Content(path).starts_with(before))
            std::abort(); // the journal puts back every byte the archive held (a damaged one gets a directory after
                          // them)
        return 0;
    }
    const qor::CZipRepairOutcome outcome = qor::RepairZipArchive(path);
    if (!outcome.repaired)
        return 0;
    const std::string repaired = Content(path);
    if (!repaired.starts_with(before))
        std::abort(); // a rebuilt directory goes after everything the archive held
    qor::CZipDirectory directory;
    std::string damage;
    const auto readAt = [&repaired](std::uint64_t offset, char* into, std::size_t length) {
        if (offset > repaired.size() || length > repaired.size() - offset)
            return false;
        repaired.copy(into, length, offset);
        return true;
    };
    if (!qor::ReadZipDirectory(readAt, repaired.size(), directory, damage))
        std::abort(); // said to be repaired, and it reads
    return 0;
}

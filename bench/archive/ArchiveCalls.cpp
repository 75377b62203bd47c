// Archives every recording below a folder the way an archive job does (by user, one archiver for
// the job), and prints how long adding and writing took; bench/archive/versus-tools.sh runs it
// beside zip, xorriso and cp on the same calls.
#include "archive/ArchiveStructure.h"
#include "archive/ArchiveTypes.h"
#include "archive/ArchiverHolder.h"
#include "lists/RecordingWalk.h"

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    using namespace qor;
    if (argc != 4
        || (std::strcmp(argv[1], "zip") != 0 && std::strcmp(argv[1], "iso") != 0
            && std::strcmp(argv[1], "disk") != 0)) {
        std::fprintf(stderr, "usage: bench-archive zip|iso|disk SOURCE-FOLDER TARGET\n");
        return 2;
    }
    const std::int32_t method = std::strcmp(argv[1], "zip") == 0
        ? kArchiveZip
        : (std::strcmp(argv[1], "iso") == 0 ? kArchiveIso : kArchiveDisk);
    const auto start = std::chrono::steady_clock::now();
    CArchiverHolder holder;
    if (holder.Create(argv[3], method, 0, {}, nullptr) != 0)
        return 1;
    int added = 0;
    WalkRecordings(argv[2], true, [&](const std::string& path) {
        added += holder.Add(path, ArchiveFolderFor(kStructureByUser, path, 0), "", 0) == 0 ? 1 : 0;
        return true;
    });
    const int written = holder.Write();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%d calls, %zu read back intact, in %.3f s\n", added, holder.Verified().size(), elapsed.count());
    return written >= 0 ? 0 : 1;
}

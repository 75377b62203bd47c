// The choices an archive job is made of (method, layout, what happens to the originals, which
// calls are taken) and the names the log, the reports and the dialogs give them.
#pragma once

#include <cstdint>

namespace qor {

enum ArchiveMethod : std::int32_t {
    kArchiveDisk = 1,
    kArchiveZip = 2,
    kArchiveIso = 3,
};

enum StructureType : std::int32_t {
    kStructureNone = 0,
    kStructureByUser = 1,
    kStructureByMonth = 2,
    kStructureByPath = 3,
};

enum MediaProcessing : std::int32_t {
    kModificationNotLogged = -1, // an archive log entry from before the log recorded it
    kKeepOriginals = 0,
    kDeleteOriginals = 1,
    kRemoveAudio = 2,
};

enum SelectionType : std::int32_t {
    kSelectAll = 0,
    kSelectUnarchived = 1,
    kSelectLast30Days = 2,
    kSelectLast90Days = 3,
    kSelectLast180Days = 4,
};

// "DISK", "ZIP", "ISO" or "Unsupported Archive Type".
const char* ArchiveMethodShortName(std::int32_t method);
// As the archive log writes it: "Disk", "ZIP format", "ISO format"; "Disk" for anything else.
const char* ArchiveMethodLogName(std::int32_t method);
// The method a log name stands for, matched by prefix; 0 when none.
std::int32_t ArchiveMethodFromLogName(const char* name);
// "Unstructured", "By User", "By Month", "By Path" or "Unsupported structure type".
const char* StructureName(std::int32_t structure);
// "Don't modify", "Delete calls", "Remove Audio" or "Unsupported media processing type".
const char* MediaProcessingName(std::int32_t processing);

} // namespace qor

#include "archive/ArchiveTypes.h"

#include <cstring>
#include <initializer_list>

namespace qor {

const char* ArchiveMethodShortName(std::int32_t method)
{
    switch (method) {
    case kArchiveDisk:
        return "DISK";
    case kArchiveZip:
        return "ZIP";
    case kArchiveIso:
        return "ISO";
    default:
        return "Unsupported Archive Type";
    }
}

const char* ArchiveMethodLogName(std::int32_t method)
{
    switch (method) {
    case kArchiveZip:
        return "ZIP format";
    case kArchiveIso:
        return "ISO format";
    default:
        return "Disk";
    }
}

std::int32_t ArchiveMethodFromLogName(const char* name)
{
    for (const std::int32_t method : { kArchiveZip, kArchiveIso, kArchiveDisk }) {
        const char* known = ArchiveMethodLogName(method);
        if (std::strncmp(name, known, std::strlen(known)) == 0)
            return method;
    }
    return 0;
}

const char* StructureName(std::int32_t structure)
{
    switch (structure) {
    case kStructureNone:
        return "Unstructured";
    case kStructureByUser:
        return "By User";
    case kStructureByMonth:
        return "By Month";
    case kStructureByPath:
        return "By Path";
    default:
        return "Unsupported structure type";
    }
}

const char* MediaProcessingName(std::int32_t processing)
{
    switch (processing) {
    case kKeepOriginals:
        return "Don't modify";
    case kDeleteOriginals:
        return "Delete calls";
    case kRemoveAudio:
        return "Remove Audio";
    default:
        return "Unsupported media processing type";
    }
}

} // namespace qor

#include "archive/iso/IsoStreamCompare.h"

#include "archive/ContentCompare.h"

namespace qor {
namespace {

ReadFunction StreamReader(IsoStream* stream)
{
    return [stream](unsigned char* into, std::size_t size) {
        return static_cast<long>(iso_stream_read(stream, into, size));
    };
}

} // namespace

bool IsoFileEqualsFile(IsoFile* file, int descriptor, CVerifiedCopy* copy)
{
    IsoStream* stream = iso_file_get_stream(file);
    if (iso_stream_open(stream) < 0)
        return false;
    const bool same = SameContent(StreamReader(stream), FileReader(descriptor), copy);
    iso_stream_close(stream);
    return same;
}

bool DigestOfIsoFile(IsoFile* file, CVerifiedCopy& copy)
{
    IsoStream* stream = iso_file_get_stream(file);
    if (iso_stream_open(stream) < 0)
        return false;
    const bool read = DigestOf(StreamReader(stream), copy);
    iso_stream_close(stream);
    return read;
}

bool IsoFilesEqual(IsoFile* first, IsoFile* second)
{
    IsoStream* firstStream = iso_file_get_stream(first);
    IsoStream* secondStream = iso_file_get_stream(second);
    if (iso_stream_open(firstStream) < 0)
        return false;
    if (iso_stream_open(secondStream) < 0) {
        iso_stream_close(firstStream);
        return false;
    }
    const bool same = SameContent(StreamReader(firstStream), StreamReader(secondStream));
    iso_stream_close(secondStream);
    iso_stream_close(firstStream);
    return same;
}

} // namespace qor

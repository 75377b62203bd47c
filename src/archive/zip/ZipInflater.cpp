#include "archive/zip/ZipInflater.h"

#include "archive/zip/ZipFileIo.h"

#include <algorithm>

namespace qor {
namespace {

constexpr std::size_t kBlock = 65'536;

} // namespace

CZipInflater::CZipInflater()
    : m_input(new unsigned char[kBlock])
    , m_output(new unsigned char[kBlock])
{
    // Negative window bits: raw deflate data, as ZIP stores it, without zlib's own wrapper.
    m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
}

CZipInflater::~CZipInflater()
{
    if (m_ready)
        inflateEnd(&m_stream);
}

bool CZipInflater::Inflate(
    int archive, std::uint64_t dataOffset, std::uint64_t limit, const Consumer& consumer, std::uint64_t& consumed)
{
    // Input left over from an entry that failed half-way belongs to that entry, not to this one.
    m_stream.avail_in = 0;
    if (!m_ready || inflateReset(&m_stream) != Z_OK)
        return false;
    std::uint64_t fed = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (m_stream.avail_in == 0) {
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(limit - fed, kBlock));
            if (count == 0 || !ReadAllAt(archive, reinterpret_cast<char*>(m_input.get()), count, dataOffset + fed))
                return false;
            m_stream.next_in = m_input.get();
            m_stream.avail_in = static_cast<uInt>(count);
            fed += count;
        }
        m_stream.next_out = m_output.get();
        m_stream.avail_out = kBlock;
        status = inflate(&m_stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            return false;
        if (!consumer(m_output.get(), kBlock - m_stream.avail_out))
            return false;
    }
    consumed = fed - m_stream.avail_in;
    m_stream.avail_in = 0;
    return true;
}

} // namespace qor

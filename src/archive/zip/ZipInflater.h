// Inflates one entry's raw deflate data straight from an archive file, handing the output on as it
// comes, so that an entry can be checked or compared however large it is.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <zlib.h>

namespace qor {

class CZipInflater {
public:
    // Takes each piece of output; false stops the inflating.
    using Consumer = std::function<bool(const unsigned char* bytes, std::size_t size)>;

    CZipInflater();
    ~CZipInflater();
    CZipInflater(const CZipInflater&) = delete;
    CZipInflater& operator=(const CZipInflater&) = delete;

    // Inflates the stream at dataOffset, reading no more than limit bytes of it (which the file
    // must hold); true when they hold one complete deflate stream (consumed then says how many bytes it took) and the
    // consumer took every piece.
    bool Inflate(
        int archive, std::uint64_t dataOffset, std::uint64_t limit, const Consumer& consumer, std::uint64_t& consumed);

private:
    z_stream m_stream{};
    bool m_ready = false;
    std::unique_ptr<unsigned char[]> m_input;
    std::unique_ptr<unsigned char[]> m_output;
};

} // namespace qor

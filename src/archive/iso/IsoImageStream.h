// The finished image as the library produces it: a stream of 2 KiB blocks made by the library's
// own thread. Owns that stream; dropping it before the end stops the thread.
#pragma once

#include "archive/iso/IsoLibrary.h"

#include <cstddef>
#include <cstdint>

namespace qor {

class CIsoImageStream {
public:
    CIsoImageStream() = default;
    ~CIsoImageStream();
    CIsoImageStream(const CIsoImageStream&) = delete;
    CIsoImageStream& operator=(const CIsoImageStream&) = delete;

    // Lays the image out and starts producing it; the library's result code.
    int Open(IsoImage* image, IsoWriteOpts* options);
    // The whole image's size in bytes, known once opened.
    std::int64_t Size() const { return m_size; }
    // Fills the buffer completely (the image's size is a whole number of blocks, so ask for no
    // more than what remains); false when the library failed.
    bool Read(unsigned char* buffer, std::size_t size);

private:
    burn_source* m_source = nullptr;
    std::int64_t m_size = 0;
    std::int64_t m_delivered = 0;
};

} // namespace qor

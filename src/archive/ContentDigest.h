// The SHA-256 digest of a call's bytes as they stream past, so that "the same call" means the same
// bytes: a different call cannot pass for an archived one by matching its size and CRC-32, which
// anyone can arrange.
#pragma once

#include <array>
#include <cstddef>
#include <memory>

namespace qor {

using Digest = std::array<unsigned char, 32>;

class CContentDigest {
public:
    CContentDigest();
    ~CContentDigest();
    CContentDigest(const CContentDigest&) = delete;
    CContentDigest& operator=(const CContentDigest&) = delete;

    void Add(const void* bytes, std::size_t size);
    // The digest of everything added; the object starts again afterwards.
    Digest Finish();

private:
    struct CState;
    std::unique_ptr<CState> m_state;
};

} // namespace qor

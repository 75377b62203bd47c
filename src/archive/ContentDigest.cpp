#include "archive/ContentDigest.h"

#include <openssl/evp.h>

namespace qor {

struct CContentDigest::CState {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~CState() { EVP_MD_CTX_free(context); }
};

CContentDigest::CContentDigest()
    : m_state(std::make_unique<CState>())
{
    EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr);
}

CContentDigest::~CContentDigest() = default;

void CContentDigest::Add(const void* bytes, std::size_t size)
{
    EVP_DigestUpdate(m_state->context, bytes, size);
}

Digest CContentDigest::Finish()
{
    Digest digest{};
    unsigned length = 0;
    EVP_DigestFinal_ex(m_state->context, digest.data(), &length);
    EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr);
    return digest;
}

} // namespace qor

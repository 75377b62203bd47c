#include "recording/AESCipher.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <openssl/evp.h>
#include <vector>

namespace qor {
namespace {

// Fetched once: OpenSSL otherwise looks each algorithm up again on every use, which costs more
// than decrypting a header, and lists decrypt thousands of them.
const EVP_CIPHER* CipherFor(int keyType)
{
    static EVP_CIPHER* const ciphers[] = {
        EVP_CIPHER_fetch(nullptr, "AES-128-CBC", nullptr),
        EVP_CIPHER_fetch(nullptr, "AES-192-CBC", nullptr),
        EVP_CIPHER_fetch(nullptr, "AES-256-CBC", nullptr),
    };
    return keyType >= 0 && keyType < 3 ? ciphers[keyType] : nullptr;
}

const EVP_MD* Md5()
{
    static EVP_MD* const md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
    return md5;
}

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

} // namespace

std::size_t CRvAESCipher::KeyLength(int keyType)
{
    const EVP_CIPHER* cipher = CipherFor(keyType);
    return cipher ? static_cast<std::size_t>(EVP_CIPHER_get_key_length(cipher)) : 0;
}

std::string CRvAESCipher::MakeCheckString(std::string_view passphrase)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_Digest(passphrase.data(), passphrase.size(), digest, &digestLength, Md5(), nullptr);
    std::string check;
    check.reserve(kCheckStringLength);
    for (unsigned int i = 0; i < digestLength && i < 16; ++i) {
        const char* digits = (kLowerCasePattern >> i) & 1 ? "0123456789abcdef" : "0123456789ABCDEF";
        check += digits[digest[i] >> 4];
        check += digits[digest[i] & 0x0F];
    }
    return check;
}

std::size_t CRvAESCipher::DecryptBuffer(
    std::size_t count, const std::uint8_t* source, std::uint8_t* destination, std::string_view keyMaterial, int keyType)
{
    return Transform(false, count, source, destination, keyMaterial, keyType);
}

std::size_t CRvAESCipher::EncryptBuffer(
    std::size_t count, const std::uint8_t* source, std::uint8_t* destination, std::string_view keyMaterial, int keyType)
{
    return Transform(true, count, source, destination, keyMaterial, keyType);
}

std::size_t CRvAESCipher::EncryptHeader(
    const std::uint8_t* image, std::uint8_t* destination, std::string_view keyMaterial, int keyType)
{
    if (!image || !destination)
        return 0;
    if (keyType == kKeyTypeNone) {
        std::memmove(destination, image, kHeaderBytes);
        return kHeaderBytes;
    }
    return Transform(true, kHeaderBytes, image, destination, keyMaterial, keyType) == kHeaderBytes ? kHeaderBytes : 0;
}

std::size_t CRvAESCipher::Transform(bool encrypt, std::size_t count, const std::uint8_t* source,
    std::uint8_t* destination, std::string_view keyMaterial, int keyType)
{
    const EVP_CIPHER* cipher = CipherFor(keyType);
    if (!source || !destination || !cipher || keyMaterial.size() < KeyLength(keyType))
        return 0;
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> context(EVP_CIPHER_CTX_new());
    if (!context)
        return 0;
    const auto* key = reinterpret_cast<const unsigned char*>(keyMaterial.data());
    std::vector<std::uint8_t> chunk(std::min(kChunkBytes, count)); // a header needs no more
    std::size_t produced = 0;
    for (std::size_t offset = 0; offset < count; offset += kChunkBytes) {
        const std::size_t wholeBlocks = std::min(kChunkBytes, count - offset) / 16 * 16;
        if (wholeBlocks == 0)
            break;
        int written = 0;
        const bool ok
            = EVP_CipherInit_ex(context.get(), cipher, nullptr, key, kInitialisationVector.data(), encrypt ? 1 : 0) == 1
            && EVP_CIPHER_CTX_set_padding(context.get(), 0) == 1
            && EVP_CipherUpdate(context.get(), chunk.data(), &written, source + offset, static_cast<int>(wholeBlocks))
                == 1;
        if (!ok || written <= 0)
            break;
        // Staged through the work buffer so that source and destination may be the same memory.
        std::memcpy(destination + produced, chunk.data(), static_cast<std::size_t>(written));
        produced += static_cast<std::size_t>(written);
    }
    return produced;
}

} // namespace qor

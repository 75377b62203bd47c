// AES-CBC decryption of encrypted recordings and re-encryption of their headers, keyed by the
// passphrase check string (an MD5 digest written as hexadecimal text in a fixed letter-case pattern).
// The cipher and digest come from OpenSSL's libcrypto.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

class CRvAESCipher {
public:
    // Bodies are processed in chunks of this size, each chained afresh from the vector.
    static constexpr std::size_t kChunkBytes = 66'560;
    static constexpr std::size_t kHeaderBytes = 1440;
    static constexpr std::size_t kCheckStringLength = 32;
    static constexpr int kKeyTypeNone = -1;

    // Bit n set: the hexadecimal pair of digest byte n is written in lower case, else in upper case.
    // Recorders and this program must agree on it, so it never changes.
    static constexpr std::uint16_t kLowerCasePattern = 0b0110'1001'1100'0101;
    // The fixed initialisation vector of every header and every body chunk; never stored in files.
    static constexpr std::array<std::uint8_t, 16> kInitialisationVector
        = { 0x51, 0x6f, 0x72, 0x54, 0x6f, 0x6c, 0x76, 0x61, 0x6e, 0x65, 0x2d, 0x49, 0x56, 0x2d, 0x30, 0x31 };

    CRvAESCipher() = default;
    virtual ~CRvAESCipher() = default;

    // The 32-character check string of a passphrase, which is also the key material.
    static std::string MakeCheckString(std::string_view passphrase);

    // Decrypts count bytes chunk by chunk into destination (which may be source itself). Bytes of a
    // chunk that do not fill a whole block stay out. Returns the bytes produced; 0 for a missing
    // buffer, a key type outside 0 to 2 or key material too short for the key.
    std::size_t DecryptBuffer(std::size_t count, const std::uint8_t* source, std::uint8_t* destination,
        std::string_view keyMaterial, int keyType);
    // The recorder's direction, chunk by chunk; the sample generator writes encrypted bodies with it.
    std::size_t EncryptBuffer(std::size_t count, const std::uint8_t* source, std::uint8_t* destination,
        std::string_view keyMaterial, int keyType);
    // Encrypts a 1440-byte header image; with key type -1 it copies. Returns 1440, or 0 on failure.
    std::size_t EncryptHeader(
        const std::uint8_t* image, std::uint8_t* destination, std::string_view keyMaterial, int keyType);

    // Key bytes for a key type: 16, 24 or 32; 0 for any other type.
    static std::size_t KeyLength(int keyType);

private:
    std::size_t Transform(bool encrypt, std::size_t count, const std::uint8_t* source, std::uint8_t* destination,
        std::string_view keyMaterial, int keyType);
};

} // namespace qor

#include "recording/AESCipher.h"

#include <cctype>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace qor {
namespace {

TEST(AESCipher, CheckStringIsTheMd5DigestInTheFixedLetterCasePattern)
{
    const std::string check = CRvAESCipher::MakeCheckString("demo");
    ASSERT_EQ(check.size(), CRvAESCipher::kCheckStringLength);
    std::string lower = check;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(lower, "fe01ce2a7fbac8fafaed7c982a04e229"); // MD5("demo")
    for (std::size_t i = 0; i < check.size(); ++i) {
        if (!std::isalpha(static_cast<unsigned char>(check[i])))
            continue;
        const bool lowerCase = (CRvAESCipher::kLowerCasePattern >> (i / 2)) & 1;
        EXPECT_EQ(std::islower(static_cast<unsigned char>(check[i])) != 0, lowerCase) << "position " << i;
    }
    EXPECT_EQ(CRvAESCipher::MakeCheckString("demo"), check) << "the pattern never changes";
    EXPECT_NE(CRvAESCipher::MakeCheckString("Demo"), check);
}

TEST(AESCipher, BodiesAreDecryptedInChunksThatEachRestartTheChain)
{
    const std::string key = CRvAESCipher::MakeCheckString("secret");
    CRvAESCipher cipher;
    const std::size_t size = CRvAESCipher::kChunkBytes * 2 + 20;
    std::vector<std::uint8_t> plain(size);
    std::iota(plain.begin(), plain.end(), 0);
    // Chunks one and two hold the same plain bytes, so their cipher bytes must match too.
    std::copy_n(plain.begin(), CRvAESCipher::kChunkBytes, plain.begin() + CRvAESCipher::kChunkBytes);

    for (int keyType = 0; keyType <= 2; ++keyType) {
        std::vector<std::uint8_t> body = plain;
        ASSERT_EQ(cipher.EncryptBuffer(size, body.data(), body.data(), key, keyType), 133'136u);
        EXPECT_TRUE(std::equal(
            body.begin(), body.begin() + CRvAESCipher::kChunkBytes, body.begin() + CRvAESCipher::kChunkBytes));
        EXPECT_NE(body[0], plain[0]);

        ASSERT_EQ(cipher.DecryptBuffer(size, body.data(), body.data(), key, keyType), 133'136u);
        EXPECT_EQ(body, plain) << "the 4 bytes that fill no block were never encrypted";
    }
}

TEST(AESCipher, HeaderEncryptionRoundTripsAndCopiesWithoutAKey)
{
    const std::string key = CRvAESCipher::MakeCheckString("secret");
    CRvAESCipher cipher;
    std::vector<std::uint8_t> image(CRvAESCipher::kHeaderBytes);
    std::iota(image.begin(), image.end(), 7);
    std::vector<std::uint8_t> encrypted(image.size()), decrypted(image.size());

    ASSERT_EQ(cipher.EncryptHeader(image.data(), encrypted.data(), key, 2), 1440u);
    EXPECT_NE(encrypted, image);
    ASSERT_EQ(cipher.DecryptBuffer(encrypted.size(), encrypted.data(), decrypted.data(), key, 2), 1440u);
    EXPECT_EQ(decrypted, image);

    EXPECT_EQ(cipher.EncryptHeader(image.data(), encrypted.data(), key, CRvAESCipher::kKeyTypeNone), 1440u);
    EXPECT_EQ(encrypted, image);
}

TEST(AESCipher, RefusesMissingBuffersUnknownKeyTypesAndShortKeys)
{
    const std::string key = CRvAESCipher::MakeCheckString("secret");
    CRvAESCipher cipher;
    std::vector<std::uint8_t> buffer(64), out(64);
    EXPECT_EQ(cipher.DecryptBuffer(64, buffer.data(), out.data(), key, CRvAESCipher::kKeyTypeNone), 0u);
    EXPECT_EQ(cipher.DecryptBuffer(64, buffer.data(), out.data(), key, 3), 0u);
    EXPECT_EQ(cipher.DecryptBuffer(64, nullptr, out.data(), key, 0), 0u);
    EXPECT_EQ(cipher.DecryptBuffer(64, buffer.data(), nullptr, key, 0), 0u);
    EXPECT_EQ(cipher.DecryptBuffer(15, buffer.data(), out.data(), key, 0), 0u) << "no whole block";
    EXPECT_EQ(cipher.DecryptBuffer(64, buffer.data(), out.data(), key.substr(0, 20), 1), 0u)
        << "AES-192 needs 24 key bytes";
    EXPECT_EQ(cipher.EncryptHeader(buffer.data(), out.data(), key, 5), 0u);
}

} // namespace
} // namespace qor

// The fixed header at the start of every recording: codec, caller and user, start time, length,
// comment and important mark. Reads and writes all five versions, the fifth being an encrypted
// envelope around a version-4 record. Writing touches only header bytes, never the audio body.
#pragma once

#include "foundation/Utf8Text.h"
#include "recording/AESCipher.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

enum CodecTag : std::int32_t {
    kCodecNone = -1,
    kCodecALaw = 6,
    kCodecMuLaw = 7,
    kCodecImaAdpcm = 17,
    kCodecGsm = 49,
};

class CRvRecordFileHdr {
public:
    static constexpr std::size_t kImageSize = 1440;
    static constexpr std::size_t kVersion1Size = 1176;
    static constexpr std::size_t kEnvelopePrefixSize = 48;
    static constexpr std::size_t kEnvelopeSize = kEnvelopePrefixSize + kImageSize;
    static constexpr std::size_t kPassphraseCapacity = 39;

    CRvRecordFileHdr();
    virtual ~CRvRecordFileHdr();
    CRvRecordFileHdr(const CRvRecordFileHdr&) = default;
    CRvRecordFileHdr& operator=(const CRvRecordFileHdr&) = default;

    // Reads the header from the start of the stream. Returns the bytes before the audio body (1176,
    // 1440, or for an encrypted file the decrypted count), 0 on a read failure or a passphrase that
    // does not fit, -1 for a file that is not a recording header.
    virtual int Read(std::FILE* stream, const std::string& passphrase);
    // Reads a file once: a loaded object returns 1 without reading again. Results as for Read.
    virtual int Load(const std::string& path, const std::string& passphrase);
    // Load from a file the caller has opened, with one read; the file's size is asked for only
    // when the caller does not know it and the header needs it.
    int LoadOpenFile(int descriptor, std::optional<std::uint64_t> fileSize, const std::string& passphrase);
    // Marks the header as one that could not be loaded, for the reason errno gave on opening.
    void SetUnreadable(int error);
    // Writes the header into the existing recording at path (never through a link, and only over
    // a header as long as it), leaving the rest of the file as it is; false when it cannot.
    virtual bool Save(const std::string& path);

    // The bytes Write puts at the start of a file: the version-1 record, the 1440-byte record, or
    // the encrypted envelope. Empty when the header cannot be encrypted, or when the last read
    // failed: such a header is never written anywhere.
    std::vector<std::uint8_t> Serialize();
    // False after a read that failed; a header made from scratch counts as read.
    bool IsReadable() const { return m_readable; }
    // True when the last load failed because there was no regular file at the path (gone, a
    // dangling link, a FIFO); false when there was one that could not be read.
    bool FileMissing() const { return m_fileMissing; }
    // True when the file ends inside the header its version calls for: no whole recording.
    bool IsCutShort() const { return m_cutShort; }

    // The recording open on descriptor as its header alone, as "Remove Audio" leaves it (a version 2
    // to 4 header written as version 4); empty when the header cannot be read with the passphrase.
    std::vector<std::uint8_t> HeaderOnly(int descriptor, const std::string& passphrase);

    // Makes the header write itself as an encrypted envelope for this passphrase and key type.
    void SetEncryption(const std::string& passphrase, int keyType);
    // Makes the header write itself as a plain record again, for a copy whose body is not encrypted.
    void ClearEncryption();

    std::int32_t Version() const { return Int(0); }
    void SetVersion(std::int32_t version) { SetInt(0, version); }
    std::int32_t HeaderLength() const { return Int(4); }
    std::int32_t GetCodecTag() const { return Int(8); }
    void SetCodecTag(std::int32_t tag) { SetInt(8, tag); }
    std::int32_t Important() const { return Int(12); }
    void SetImportant(std::int32_t important) { SetInt(12, important); }
    std::string CallerId() const { return Text(16, 128); }
    void SetCallerId(std::string_view text) { SetText(16, 128, text); }
    std::string Comment() const { return Text(144, 1024); }
    void SetComment(std::string_view text) { SetText(144, 1024, text); }
    std::int32_t StartTime() const { return Int(1168); }
    void SetStartTime(std::int32_t seconds) { SetInt(1168, seconds); }
    std::int32_t Duration() const { return Int(1172); }
    void SetDuration(std::int32_t seconds) { SetInt(1172, seconds); }
    std::string UserId() const { return Text(1180, 128); }
    void SetUserId(std::string_view text) { SetText(1180, 128, text); }
    std::int32_t ExtraCode() const { return Int(1308); }
    void SetExtraCode(std::int32_t code) { SetInt(1308, code); }
    std::string RecorderType() const { return Text(1312, 120); }
    void SetRecorderType(std::string_view text) { SetText(1312, 120, text); }
    std::int32_t ExtraSeconds() const { return Int(1432); }
    void SetExtraSeconds(std::int32_t seconds) { SetInt(1432, seconds); }

    bool IsEncrypted() const { return m_encrypted; }
    int KeyType() const { return m_keyType; }
    // The check string stored in (or made for) the envelope; the key material of the body.
    const std::string& KeyCheck() const { return m_keyCheck; }
    const std::string& Passphrase() const { return m_passphrase; }
    const std::array<std::uint8_t, kImageSize>& Image() const { return m_image; }

    // The start time as the recorder meant it: two recorder types store UTC instead of local time.
    std::int64_t DisplayTime() const;
    // Locale date and time of the display time, at most 20 characters (not bytes).
    std::string FormatStartTime() const;
    std::string FormatDuration() const;
    std::string FormatExtraSeconds() const;

    bool ParseBookmark(int& start, int& end) const;
    bool WriteBookmark(int start, int end);

private:
    std::int32_t Int(std::size_t offset) const;
    void SetInt(std::size_t offset, std::int32_t value);
    std::string Text(std::size_t offset, std::size_t size) const;
    void SetText(std::size_t offset, std::size_t size, std::string_view text);
    void ResetImage(std::string_view recorderType);
    // Reads the header from the first bytes of a file of the given size.
    int Parse(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const std::string& passphrase);
    int ParseImage(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const std::string& passphrase);
    int ParseEnvelope(std::span<const std::uint8_t> bytes, const std::string& passphrase);
    void DeriveDurationFromFileSize(std::uint64_t fileSize, std::size_t headerLength);

    std::array<std::uint8_t, kImageSize> m_image{};
    CRvAESCipher m_cipher;
    int m_keyType = CRvAESCipher::kKeyTypeNone;
    std::string m_keyCheck;
    std::string m_passphrase;
    bool m_encrypted = false;
    bool m_readable = true;
    bool m_fileMissing = false;
    bool m_cutShort = false;
    int m_loaded = 0;
};

} // namespace qor

#include "recording/RecordFileHdr.h"

#include "foundation/CallTime.h"
#include "foundation/LocaleFormat.h"
#include "foundation/RegularFile.h"
#include "foundation/SecretText.h"
#include "recording/Bookmark.h"
#include "recording/HeaderUpdate.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr std::size_t kKeyCheckField = 40;

std::int32_t ReadLittleEndian(const std::uint8_t* bytes)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
        | static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

void WriteLittleEndian(std::uint8_t* bytes, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

} // namespace

CRvRecordFileHdr::CRvRecordFileHdr()
{
    ResetImage("Unknown");
    SetStartTime(static_cast<std::int32_t>(std::time(nullptr)));
}

void CRvRecordFileHdr::ResetImage(std::string_view recorderType)
{
    m_image.fill(0);
    SetVersion(4);
    SetInt(4, static_cast<std::int32_t>(kImageSize));
    SetCodecTag(kCodecNone);
    SetExtraCode(-1);
    SetRecorderType(recorderType);
}

std::int32_t CRvRecordFileHdr::Int(std::size_t offset) const
{
    return ReadLittleEndian(m_image.data() + offset);
}

void CRvRecordFileHdr::SetInt(std::size_t offset, std::int32_t value)
{
    WriteLittleEndian(m_image.data() + offset, value);
}

std::string CRvRecordFileHdr::Text(std::size_t offset, std::size_t size) const
{
    const auto* begin = reinterpret_cast<const char*>(m_image.data() + offset);
    return std::string(begin, strnlen(begin, size - 1));
}

void CRvRecordFileHdr::SetText(std::size_t offset, std::size_t size, std::string_view text)
{
    const std::string_view kept = CutOnCharacterBoundary(text, size - 1);
    // The rest of the field is cleared so no earlier, longer text lingers in the file.
    std::memset(m_image.data() + offset, 0, size);
    std::memcpy(m_image.data() + offset, kept.data(), kept.size());
}

int CRvRecordFileHdr::Read(std::FILE* stream, const std::string& passphrase)
{
    std::uint8_t bytes[kEnvelopeSize];
    std::size_t count = 0;
    struct stat status { };
    if (stream && std::fseek(stream, 0, SEEK_SET) == 0)
        count = std::fread(bytes, 1, sizeof bytes, stream);
    const auto size = stream && fstat(fileno(stream), &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    return Parse(std::span(bytes, count), size, passphrase);
}

int CRvRecordFileHdr::Parse(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const std::string& passphrase)
{
    const int result = ParseImage(bytes, fileSize, passphrase);
    m_readable = result > 0;
    m_fileMissing = false;
    return result;
}

int CRvRecordFileHdr::ParseImage(
    std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const std::string& passphrase)
{
    m_image.fill(0);
    SetRecorderType("n/a");
    m_encrypted = false;
    m_cutShort = false;
    if (bytes.size() < 8) {
        m_image.fill(0);
        SetCallerId("ERROR!");
        SetComment("Disk or network error occured while reading file!");
        return 0;
    }
    std::memcpy(m_image.data(), bytes.data(), 8);
    const std::int32_t version = Version();
    if (version <= 0 || version > 5)
        return -1;
    if (version == 5) {
        m_encrypted = true;
        SetInt(4, 0);
        return ParseEnvelope(bytes, passphrase);
    }
    // The stored length is not trusted: the version alone decides where the body starts.
    const std::size_t length = version == 1 ? kVersion1Size : kImageSize;
    // Fields past the end of the file would be shown as whatever the zeroes read as.
    if (bytes.size() < length) {
        m_cutShort = true;
        return 0;
    }
    SetInt(4, static_cast<std::int32_t>(length));
    std::memcpy(m_image.data() + 8, bytes.data() + 8, std::min(bytes.size(), length) - 8);
    if (version == 4 && Duration() == 0)
        DeriveDurationFromFileSize(fileSize, length);
    return static_cast<int>(length);
}

int CRvRecordFileHdr::ParseEnvelope(std::span<const std::uint8_t> bytes, const std::string& passphrase)
{
    if (bytes.size() < kEnvelopePrefixSize)
        return 0;
    m_keyType = ReadLittleEndian(bytes.data() + 4);
    char check[kKeyCheckField + 1] = {};
    for (std::size_t i = 0; i < kKeyCheckField; ++i)
        check[i] = static_cast<char>(bytes[8 + i] ^ 0x80);
    m_keyCheck = check;
    m_passphrase = passphrase.substr(0, kPassphraseCapacity);
    if (passphrase.empty() || m_keyType < CRvAESCipher::kKeyTypeNone || m_keyType > 2
        || CRvAESCipher::MakeCheckString(passphrase) != m_keyCheck)
        return 0;
    if (bytes.size() < kEnvelopeSize) {
        m_cutShort = true;
        return 0;
    }
    return static_cast<int>(
        m_cipher.DecryptBuffer(kImageSize, bytes.data() + kEnvelopePrefixSize, m_image.data(), m_keyCheck, m_keyType));
}

void CRvRecordFileHdr::DeriveDurationFromFileSize(std::uint64_t fileSize, std::size_t headerLength)
{
    const std::uint64_t body = fileSize > headerLength ? fileSize - headerLength : 0;
    std::uint64_t seconds = 0;
    switch (GetCodecTag()) {
    case kCodecALaw:
    case kCodecMuLaw:
        seconds = body / 8000;
        break;
    case kCodecImaAdpcm:
        seconds = body / 256 * 504 / 8000;
        break;
    case kCodecGsm:
        seconds = body / 33 * 160 / 8000;
        break;
    default:
        break;
    }
    SetDuration(static_cast<std::int32_t>(std::min<std::uint64_t>(seconds, INT32_MAX)));
}

CRvRecordFileHdr::~CRvRecordFileHdr()
{
    ForgetSecret(m_passphrase);
    ForgetSecret(m_keyCheck);
}

int CRvRecordFileHdr::Load(const std::string& path, const std::string& passphrase)
{
    if (m_loaded)
        return 1;
    if (path.empty())
        return 0;
    CFileStatus status;
    const int descriptor = OpenRegularFile(path, false, &status);
    if (descriptor < 0) {
        SetUnreadable(errno);
        return 0;
    }
    const int result = LoadOpenFile(descriptor, status.size, passphrase);
    close(descriptor);
    return result;
}

int CRvRecordFileHdr::LoadOpenFile(int descriptor, std::optional<std::uint64_t> fileSize, const std::string& passphrase)
{
    // One read of the largest header: lists read thousands of these.
    std::uint8_t bytes[kEnvelopeSize];
    const ssize_t count = pread(descriptor, bytes, sizeof bytes, 0);
    const std::span<const std::uint8_t> read(bytes, count > 0 ? static_cast<std::size_t>(count) : 0);
    int result = Parse(read, fileSize.value_or(0), passphrase);
    // The size is asked for only when a header without a stored length needs it.
    struct stat status { };
    if (!fileSize && result == static_cast<int>(kImageSize) && !m_encrypted && Version() == 4 && Duration() == 0
        && fstat(descriptor, &status) == 0)
        DeriveDurationFromFileSize(static_cast<std::uint64_t>(status.st_size), kImageSize);
    m_loaded = result;
    return result;
}

void CRvRecordFileHdr::SetUnreadable(int error)
{
    // Nothing there to list: gone, a dangling link, or no regular file at all (a FIFO).
    ResetImage("Load failed");
    m_readable = false;
    m_fileMissing = error == ENOENT || error == ENOTDIR || error == ELOOP || error == EINVAL;
    m_loaded = 1;
}

std::vector<std::uint8_t> CRvRecordFileHdr::Serialize()
{
    // A header that could not be read is a half-filled image; written back it would destroy the
    // file's real header (or, for a wrong passphrase, re-encrypt garbage over it).
    if (!m_readable)
        return {};
    // An encrypted header always goes back as an envelope: a plain record would leave the body
    // encrypted behind it and put the caller and comment on disk in clear.
    if (Version() == 1 && !m_encrypted)
        return { m_image.begin(), m_image.begin() + kVersion1Size };
    // Versions 2 and 3 are upgraded: the record is the same size and the new fields default sensibly.
    // An encrypted record that says version 1 keeps saying so; its envelope decides the layout.
    if (Version() != 1) {
        SetVersion(4);
        SetInt(4, static_cast<std::int32_t>(kImageSize));
    }
    if (!m_encrypted)
        return { m_image.begin(), m_image.end() };
    std::vector<std::uint8_t> bytes(kEnvelopeSize);
    if (m_cipher.EncryptHeader(m_image.data(), bytes.data() + kEnvelopePrefixSize, m_keyCheck, m_keyType) != kImageSize)
        return {};
    WriteLittleEndian(bytes.data(), 5);
    WriteLittleEndian(bytes.data() + 4, m_keyType);
    for (std::size_t i = 0; i < kKeyCheckField; ++i) {
        const auto character = i < m_keyCheck.size() ? static_cast<std::uint8_t>(m_keyCheck[i]) : 0;
        bytes[8 + i] = static_cast<std::uint8_t>(character ^ 0x80);
    }
    return bytes;
}

bool CRvRecordFileHdr::Save(const std::string& path)
{
    return WriteRecordingHeader(path, *this);
}

std::vector<std::uint8_t> CRvRecordFileHdr::HeaderOnly(int descriptor, const std::string& passphrase)
{
    m_loaded = 0;
    struct stat status { };
    if (fstat(descriptor, &status) != 0
        || LoadOpenFile(descriptor, static_cast<std::uint64_t>(status.st_size), passphrase) <= 0)
        return {};
    return Serialize();
}

void CRvRecordFileHdr::SetEncryption(const std::string& passphrase, int keyType)
{
    m_encrypted = true;
    m_keyType = keyType;
    m_passphrase = passphrase.substr(0, kPassphraseCapacity);
    m_keyCheck = CRvAESCipher::MakeCheckString(passphrase);
}

void CRvRecordFileHdr::ClearEncryption()
{
    m_encrypted = false;
    m_keyType = CRvAESCipher::kKeyTypeNone;
    m_passphrase.clear();
    m_keyCheck.clear();
}

std::int64_t CRvRecordFileHdr::DisplayTime() const
{
    const std::string recorder = RecorderType();
    if (recorder != "DRAV" && recorder != "LEmOX")
        return StartTime();
    tzset();
    return static_cast<std::int64_t>(StartTime()) + timezone;
}

std::string CRvRecordFileHdr::FormatStartTime() const
{
    return WallClockText(DisplayTime());
}

std::string CRvRecordFileHdr::FormatDuration() const
{
    return FormatHhMmSs(Duration());
}

std::string CRvRecordFileHdr::FormatExtraSeconds() const
{
    return FormatHhMmSs(ExtraSeconds());
}

bool CRvRecordFileHdr::ParseBookmark(int& start, int& end) const
{
    return qor::ParseBookmark(Comment(), start, end);
}

bool CRvRecordFileHdr::WriteBookmark(int start, int end)
{
    std::string comment = Comment();
    if (!qor::WriteBookmark(comment, start, end))
        return false;
    SetComment(comment);
    return true;
}

} // namespace qor

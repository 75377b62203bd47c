#include "recording/RecordFile.h"

#include "foundation/RegularFile.h"
#include "foundation/ThreadPriority.h"
#include "recording/Bookmark.h"
#include "recording/G711.h"
#include "recording/HeaderUpdate.h"
#include "recording/ImaAdpcm.h"

#include <algorithm>
#include <cstring>
#include <gsm.h>
#include <new>
#include <strings.h>
#include <sys/stat.h>

namespace qor {
namespace {

constexpr std::size_t kGsmFrameBytes = 33;
constexpr std::size_t kGsmFrameSamples = 160;

bool HasExtension(const std::string& path, const char* extension)
{
    return path.size() >= 3 && strcasecmp(path.c_str() + path.size() - 3, extension) == 0;
}

} // namespace

CRvRecordFile::~CRvRecordFile()
{
    Close();
}

int CRvRecordFile::Open(const std::string& path, const std::string& passphrase)
{
    if (path.empty()) {
        Close();
        return 1;
    }
    // The same recording is not read again, unless its decoding was stopped part-way.
    if (m_path == path && m_sampleCount > 0 && (IsDecoding() || GetDecodedCount() == m_sampleCount))
        return 1;
    Close();
    CFileStatus status;
    std::FILE* stream = OpenRegularFileStream(path, false, &status);
    if (!stream)
        return 0;
    m_path = path;
    m_identity = IdentityOf(fileno(stream));
    bool opened = false;
    try {
        opened = ReadAndDecode(stream, path, status.size, passphrase);
    } catch (const std::bad_alloc&) {
        opened = false; // a body too large for the memory at hand is a file that cannot be opened
    }
    std::fclose(stream);
    if (!opened) {
        // The path stays, as the file itself could be opened; the sound does not.
        StopDecoding();
        m_summary = {};
        m_pcm = {};
        m_encoded = {};
        m_sampleCount = 0;
        m_decoded = 0;
    }
    return opened ? 1 : 0;
}

bool CRvRecordFile::ReadAndDecode(
    std::FILE* stream, const std::string& path, std::uint64_t size, const std::string& passphrase)
{
    const bool isRecording = HasExtension(path, "qor");
    // A recording shorter than one header cannot hold audio; other files are raw audio of any size.
    if (size == 0 || (isRecording && size < CRvRecordFileHdr::kImageSize))
        return false;
    std::uint64_t bodyStart = 0;
    if (isRecording) {
        m_header = CRvRecordFileHdr();
        const int headerLength = m_header.Read(stream, passphrase);
        if (headerLength <= 0)
            return false;
        // Only a header read in full may ever be written back over the file.
        m_hasOwnHeader = true;
        bodyStart = m_header.IsEncrypted() ? CRvRecordFileHdr::kEnvelopeSize : static_cast<std::uint64_t>(headerLength);
    } else {
        TakeRawAudio(path);
    }
    const std::uint64_t bodyLength = size > bodyStart ? size - bodyStart : 0;
    if (!ReadBody(stream, bodyStart, bodyLength))
        return false;
    if (m_header.IsEncrypted()) {
        const std::size_t plain = m_bodyCipher.DecryptBuffer(
            m_encoded.size(), m_encoded.data(), m_encoded.data(), m_header.KeyCheck(), m_header.KeyType());
        (void)plain; // bytes beyond the last whole block stay as they are
    }
    if (HasExtension(path, "wav")) {
        // The bytes are taken as PCM as they are, the WAV file's own header included.
        m_pcm.resize(m_encoded.size() / 2);
        std::memcpy(m_pcm.data(), m_encoded.data(), m_pcm.size() * 2);
        m_encoded = {};
        m_sampleCount = static_cast<std::int32_t>(m_pcm.size());
        m_decoded = m_sampleCount;
        Summarise();
    } else {
        m_sampleCount = Decode(m_header.GetCodecTag());
    }
    return m_sampleCount > 0;
}

void CRvRecordFile::TakeRawAudio(const std::string& path)
{
    m_header = CRvRecordFileHdr();
    m_hasOwnHeader = false;
    m_header.SetCallerId(path.substr(0, 16));
    std::string comment(CutOnCharacterBoundary(path, kCommentCapacity));
    WriteBookmark(comment, -1, -1);
    m_header.SetComment(comment);
    m_header.SetImportant(0);
    m_header.SetCodecTag(kCodecMuLaw);
    m_header.SetDuration(0);
}

bool CRvRecordFile::ReadBody(std::FILE* stream, std::uint64_t offset, std::uint64_t length)
{
    // Bodies that would decode to more samples than a 32-bit count holds are refused.
    if (length > static_cast<std::uint64_t>(INT32_MAX))
        return false;
    m_encoded.resize(static_cast<std::size_t>(length));
    if (std::fseek(stream, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    const std::size_t got = std::fread(m_encoded.data(), 1, m_encoded.size(), stream);
    m_encoded.resize(got); // a file that shrank meanwhile yields what is there
    return true;
}

int CRvRecordFile::OpenAndWait(const std::string& path, const std::string& passphrase)
{
    const int result = Open(path, passphrase);
    WaitForDecoding();
    return result;
}

void CRvRecordFile::WaitForDecoding()
{
    std::lock_guard guard(m_lock);
    if (m_decodeThread.joinable())
        m_decodeThread.join();
}

void CRvRecordFile::Close()
{
    StopDecoding();
    m_summary = {};
    m_pcm = {};
    m_encoded = {};
    m_path.clear();
    m_sampleCount = 0;
    m_decoded = 0;
    m_dirty = false;
    m_hasOwnHeader = false;
    m_decoding = false;
}

std::span<const std::int16_t> CRvRecordFile::GetSamples(std::int32_t position, std::int32_t wanted) const
{
    if (position < 0 || position >= m_sampleCount || wanted <= 0)
        return {};
    std::int32_t count = std::min(wanted, m_sampleCount - position);
    // While the decoder writes, only what it has published may be read; what lies beyond plays
    // as silence from a buffer of its own. The acquire loads order the decoder's writes first.
    if (m_decoding.load(std::memory_order_acquire)) {
        const std::int32_t decoded = m_decoded.load(std::memory_order_acquire);
        if (position >= decoded) {
            static const std::vector<std::int16_t> silence(kSampleRate);
            count = std::min(count, kSampleRate);
            return { silence.data(), static_cast<std::size_t>(count) };
        }
        count = std::min(count, decoded - position);
    }
    return { m_pcm.data() + position, static_cast<std::size_t>(count) };
}

bool CRvRecordFile::IsReady() const
{
    return !IsDecoding() || GetDecodedCount() > kReadySamples;
}

void CRvRecordFile::StopDecoding()
{
    m_stopRequested = true;
    std::lock_guard guard(m_lock);
    if (m_decodeThread.joinable())
        m_decodeThread.join();
}

std::int32_t CRvRecordFile::Decode(std::int32_t codecTag)
{
    switch (codecTag) {
    case kCodecALaw:
    case kCodecMuLaw: {
        m_pcm.resize(m_encoded.size());
        if (codecTag == kCodecALaw)
            DecodeALaw(m_encoded.data(), m_encoded.size(), m_pcm.data());
        else
            DecodeMuLaw(m_encoded.data(), m_encoded.size(), m_pcm.data());
        m_encoded = {};
        m_decoding = false;
        m_decoded = static_cast<std::int32_t>(m_pcm.size());
        Summarise();
        return static_cast<std::int32_t>(m_pcm.size());
    }
    case kCodecImaAdpcm:
        return DecodeImaAdpcm();
    case kCodecGsm:
        return DecodeGsm();
    default:
        return 0;
    }
}

std::int32_t CRvRecordFile::DecodeGsm()
{
    const std::uint64_t samples = m_encoded.size() / kGsmFrameBytes * kGsmFrameSamples;
    return StartThreadedDecode(samples, &CRvRecordFile::RunGsmDecoder);
}

std::int32_t CRvRecordFile::DecodeImaAdpcm()
{
    const std::uint64_t samples = m_encoded.size() / kImaAdpcmBlockBytes * kImaAdpcmBlockSamples;
    return StartThreadedDecode(samples, &CRvRecordFile::RunImaAdpcmDecoder);
}

std::int32_t CRvRecordFile::StartThreadedDecode(std::uint64_t sampleCount, void (CRvRecordFile::*worker)())
{
    if (sampleCount == 0 || sampleCount > static_cast<std::uint64_t>(INT32_MAX)) {
        m_encoded = {};
        return 0;
    }
    m_pcm.assign(static_cast<std::size_t>(sampleCount), 0);
    m_decoded = 0;
    m_stopRequested = false;
    m_decoding = true;
    std::lock_guard guard(m_lock);
    m_decodeThread = std::thread([this, worker] {
        LowerCurrentThreadPriority(kPriorityBelowNormal);
        (this->*worker)();
        FinishDecoding();
    });
    return static_cast<std::int32_t>(sampleCount);
}

void CRvRecordFile::RunGsmDecoder()
{
    gsm decoder = gsm_create();
    if (!decoder)
        return;
    int fast = 1;
    gsm_option(decoder, GSM_OPT_FAST, &fast); // not every build of the library has it; fine either way
    const std::size_t frames = m_encoded.size() / kGsmFrameBytes;
    for (std::size_t frame = 0; frame < frames && !m_stopRequested.load(std::memory_order_relaxed); ++frame) {
        gsm_signal* out = m_pcm.data() + frame * kGsmFrameSamples;
        // A damaged frame is rejected by the library and stays silent.
        if (gsm_decode(decoder, m_encoded.data() + frame * kGsmFrameBytes, out) != 0)
            std::fill_n(out, kGsmFrameSamples, 0);
        m_decoded.store(static_cast<std::int32_t>((frame + 1) * kGsmFrameSamples), std::memory_order_release);
    }
    gsm_destroy(decoder);
}

void CRvRecordFile::RunImaAdpcmDecoder()
{
    const std::size_t blocks = m_encoded.size() / kImaAdpcmBlockBytes;
    for (std::size_t block = 0; block < blocks && !m_stopRequested.load(std::memory_order_relaxed); ++block) {
        DecodeImaAdpcmBlock(
            m_encoded.data() + block * kImaAdpcmBlockBytes, m_pcm.data() + block * kImaAdpcmBlockSamples);
        m_decoded.store(static_cast<std::int32_t>((block + 1) * kImaAdpcmBlockSamples), std::memory_order_release);
    }
}

void CRvRecordFile::FinishDecoding()
{
    m_encoded = {};
    if (!m_stopRequested.load(std::memory_order_relaxed))
        Summarise();
    m_decoding.store(false, std::memory_order_release); // publishes the summary with the samples
}

void CRvRecordFile::Summarise()
{
    m_summary = CWaveSummary(m_pcm); // m_pcm has its final size before any decoder starts
}

void CRvRecordFile::SetCallerId(const std::string& callerId)
{
    const std::string before = m_header.CallerId();
    m_header.SetCallerId(callerId);
    m_dirty = m_dirty || m_header.CallerId() != before;
}

void CRvRecordFile::SetComment(const std::string& comment)
{
    const std::string before = m_header.Comment();
    m_header.SetComment(comment);
    m_dirty = m_dirty || m_header.Comment() != before;
}

void CRvRecordFile::SetImportant(std::int32_t important)
{
    if (m_header.Important() == important)
        return;
    m_header.SetImportant(important);
    m_dirty = true;
}

bool CRvRecordFile::SetBookmark(int start, int end)
{
    int currentStart = -1, currentEnd = -1;
    const bool hasBookmark = m_header.ParseBookmark(currentStart, currentEnd);
    if (!hasBookmark)
        currentStart = currentEnd = -1;
    if (start == currentStart && end == currentEnd)
        return hasBookmark;
    const bool written = m_header.WriteBookmark(start, end);
    m_dirty = true;
    return written;
}

void CRvRecordFile::SetSamples(std::vector<std::int16_t> samples)
{
    StopDecoding();
    m_pcm = std::move(samples);
    m_sampleCount = static_cast<std::int32_t>(m_pcm.size());
    m_decoded = m_sampleCount;
    Summarise();
}

int CRvRecordFile::Commit()
{
    if (m_path.empty())
        return 0;
    if (!m_dirty)
        return 1;
    // A raw audio file has no header to rewrite: writing one would overwrite its sound.
    if (!m_hasOwnHeader || !WriteRecordingHeader(m_path, m_header, &m_identity))
        return 0;
    m_dirty = false;
    return 1;
}

} // namespace qor

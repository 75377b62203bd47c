// An open recording decoded to 16-bit PCM at 8000 samples per second, and the channel through which
// its comment, bookmark and important mark are written back. GSM and IMA ADPCM bodies decode on a
// worker thread so playback can start before the whole call is decoded.
#pragma once

#include "foundation/FileIdentity.h"
#include "recording/AESCipher.h"
#include "recording/RecordFileHdr.h"
#include "recording/WaveSummary.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace qor {

class CRvRecordFile {
public:
    static constexpr std::int32_t kSampleRate = 8000;
    // Playback may start once this much is decoded (70 seconds).
    static constexpr std::int32_t kReadySamples = 560'000;

    CRvRecordFile() = default;
    virtual ~CRvRecordFile();

    CRvRecordFile(const CRvRecordFile&) = delete;
    CRvRecordFile& operator=(const CRvRecordFile&) = delete;

    // Opens and decodes a recording (or, for other names, raw µ-law audio or a ".wav" file's bytes
    // as PCM). 1 on success with at least one sample, 0 on failure (the path stays set when the
    // file itself could be opened). Only regular files are read. An empty path closes.
    int Open(const std::string& path, const std::string& passphrase);
    // Open, then wait until the whole sound is decoded.
    int OpenAndWait(const std::string& path, const std::string& passphrase);
    // The file that was opened.
    const CFileIdentity& Identity() const { return m_identity; }
    // False for raw sound taken without a header of its own.
    bool HasOwnHeader() const { return m_hasOwnHeader; }
    void Close();

    bool IsOpen() const { return !m_path.empty(); }
    const std::string& GetPath() const { return m_path; }
    std::int32_t GetSampleCount() const { return m_sampleCount; }
    // Up to wanted samples from position, pointing into the decoded array (no copy). Valid until
    // the next Open or Close. While decoding runs, the span stops where the decoded part ends, and
    // a position beyond it gets up to one second of silence that is not part of the array.
    std::span<const std::int16_t> GetSamples(std::int32_t position, std::int32_t wanted) const;
    // Samples decoded so far; everything below it is final.
    std::int32_t GetDecodedCount() const { return m_decoded.load(std::memory_order_acquire); }
    bool IsDecoding() const { return m_decoding.load(std::memory_order_acquire); }
    // The waveform of the whole sound, made once decoding is complete (by the decoder, so that
    // the window never waits for it); null while decoding runs.
    const CWaveSummary* GetSummary() const { return IsDecoding() ? nullptr : &m_summary; }
    // True when no decoder runs or it is far enough ahead for playback to start.
    bool IsReady() const;
    // Stops the decoder and returns only once it can no longer touch the buffers.
    void StopDecoding();
    // Returns once the decoder, if one runs, has decoded the whole body.
    void WaitForDecoding();

    CRvRecordFileHdr& GetHeader() { return m_header; }
    const CRvRecordFileHdr& GetHeader() const { return m_header; }
    std::string GetCallerId() const { return m_header.CallerId(); }
    void SetCallerId(const std::string& callerId);
    std::string GetComment() const { return m_header.Comment(); }
    void SetComment(const std::string& comment);
    void SetImportant(std::int32_t important);
    bool GetBookmark(int& start, int& end) const { return m_header.ParseBookmark(start, end); }
    bool SetBookmark(int start, int end);
    bool IsDirty() const { return m_dirty; }

    // Replaces the decoded sound (bookmark cropping). Only for a fully decoded recording.
    void SetSamples(std::vector<std::int16_t> samples);

    // Writes a changed header back into the file, header bytes only. 0 when nothing is open, the
    // file's header was not read in full (wrong passphrase, not a recording), the open file has no
    // recording header of its own, or the file cannot be written.
    int Commit();

protected:
    virtual std::int32_t Decode(std::int32_t codecTag);
    virtual std::int32_t DecodeGsm();
    virtual std::int32_t DecodeImaAdpcm();

private:
    bool ReadAndDecode(std::FILE* stream, const std::string& path, std::uint64_t size, const std::string& passphrase);
    bool ReadBody(std::FILE* stream, std::uint64_t offset, std::uint64_t length);
    void TakeRawAudio(const std::string& path);
    std::int32_t StartThreadedDecode(std::uint64_t sampleCount, void (CRvRecordFile::*worker)());
    void RunGsmDecoder();
    void RunImaAdpcmDecoder();
    void FinishDecoding();

    void Summarise();

    std::vector<std::int16_t> m_pcm;
    CWaveSummary m_summary; // of m_pcm
    std::vector<std::uint8_t> m_encoded;
    std::atomic<bool> m_decoding{ false };
    std::atomic<bool> m_stopRequested{ false };
    std::atomic<std::int32_t> m_decoded{ 0 };
    std::int32_t m_sampleCount = 0;
    bool m_dirty = false;
    bool m_hasOwnHeader = false;
    std::string m_path;
    CFileIdentity m_identity; // of the file opened, so annotations are written into that very file
    CRvRecordFileHdr m_header;
    CRvAESCipher m_bodyCipher;
    std::mutex m_lock; // guards m_decodeThread
    std::thread m_decodeThread;
};

} // namespace qor

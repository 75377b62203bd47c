#include "recording/WavWriter.h"

#include "foundation/AtomicFile.h"
#include "recording/GsmEncoder.h"
#include "recording/Wav.h"
#include "recording/WholeSound.h"

#include <string_view>

namespace qor {
namespace {

constexpr std::size_t kGsmWavHeaderSize = 60;
constexpr std::uint16_t kGsmWavFormat = 49;
constexpr std::uint32_t kGsmWavFmtSize = 20;
constexpr std::uint32_t kGsmWavByteRate = 1625; // 65 bytes per 320 samples at 8000 per second
constexpr std::uint16_t kGsmWavExtraSize = 2;

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, const CCallAccess& access,
    CExistingFile existingFile)
{
    return WriteCallCopy(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), access, existingFile);
}

} // namespace

std::vector<std::uint8_t> MakePcmWav(std::span<const std::int16_t> samples)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(CRvWav::kSize + 2 * samples.size());
    CRvWav::ForPcm16(static_cast<std::uint32_t>(samples.size())).AppendTo(bytes);
    for (const std::int16_t sample : samples)
        AppendUint16(bytes, static_cast<std::uint16_t>(sample));
    return bytes;
}

std::optional<std::vector<std::uint8_t>> MakeGsmWav(std::span<const std::int16_t> samples)
{
    const std::optional<std::vector<std::uint8_t>> blocks = EncodeGsmWavBlocks(samples);
    if (!blocks)
        return std::nullopt;
    const auto dataSize = static_cast<std::uint32_t>(blocks->size());
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kGsmWavHeaderSize + blocks->size());
    AppendTag(bytes, "RIFF");
    AppendUint32(bytes, dataSize + kGsmWavHeaderSize - 8);
    AppendTag(bytes, "WAVE");
    AppendTag(bytes, "fmt ");
    AppendUint32(bytes, kGsmWavFmtSize);
    AppendUint16(bytes, kGsmWavFormat);
    AppendUint16(bytes, 1); // mono
    AppendUint32(bytes, CRvRecordFile::kSampleRate);
    AppendUint32(bytes, kGsmWavByteRate);
    AppendUint16(bytes, kGsmWavBlockBytes);
    AppendUint16(bytes, 0); // no bits per sample for a compressed format
    AppendUint16(bytes, kGsmWavExtraSize);
    AppendUint16(bytes, kGsmWavBlockSamples);
    // The call's own length, for players that leave out the padding of the last block.
    AppendTag(bytes, "fact");
    AppendUint32(bytes, 4);
    AppendUint32(bytes, static_cast<std::uint32_t>(samples.size()));
    AppendTag(bytes, "data");
    AppendUint32(bytes, dataSize);
    bytes.insert(bytes.end(), blocks->begin(), blocks->end());
    return bytes;
}

bool WriteWav(const std::string& path, CRvRecordFile& recording, bool forcePcm, CExistingFile existingFile)
{
    if (!WaitForWholeSound(recording))
        return false;
    const std::span<const std::int16_t> samples = recording.GetSamples(0, recording.GetSampleCount());
    // The sound of an encrypted call, decrypted, is its owner's alone.
    const CCallAccess access = AccessOfCall(recording.GetPath(), recording.GetHeader().IsEncrypted());
    if (!forcePcm) {
        if (const std::optional<std::vector<std::uint8_t>> gsm = MakeGsmWav(samples))
            return WriteBytes(path, *gsm, access, existingFile);
    }
    return WriteBytes(path, MakePcmWav(samples), access, existingFile);
}

} // namespace qor

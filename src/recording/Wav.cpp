#include "recording/Wav.h"

#include "recording/RecordFile.h"

namespace qor {

CRvWav CRvWav::ForPcm16(std::uint32_t sampleCount)
{
    CRvWav header;
    header.sampleRate = CRvRecordFile::kSampleRate;
    header.byteRate = CRvRecordFile::kSampleRate * 2;
    header.blockAlign = 2;
    header.bitsPerSample = 16;
    header.dataSize = 2 * sampleCount;
    header.riffSize = header.dataSize + 36;
    return header;
}

void CRvWav::AppendTo(std::vector<std::uint8_t>& bytes) const
{
    const auto tag = [&bytes](const std::array<char, 4>& text) { AppendTag(bytes, { text.data(), text.size() }); };
    tag(riffTag);
    AppendUint32(bytes, riffSize);
    tag(waveTag);
    tag(fmtTag);
    AppendUint32(bytes, fmtSize);
    AppendUint16(bytes, format);
    AppendUint16(bytes, channels);
    AppendUint32(bytes, sampleRate);
    AppendUint32(bytes, byteRate);
    AppendUint16(bytes, blockAlign);
    AppendUint16(bytes, bitsPerSample);
    tag(dataTag);
    AppendUint32(bytes, dataSize);
}

void AppendTag(std::vector<std::uint8_t>& bytes, std::string_view tag)
{
    bytes.insert(bytes.end(), tag.begin(), tag.end());
}

void AppendUint16(std::vector<std::uint8_t>& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendUint32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

} // namespace qor

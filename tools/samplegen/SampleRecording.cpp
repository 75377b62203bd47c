#include "samplegen/SampleRecording.h"

#include "foundation/AtomicFile.h"
#include "samplegen/AudioEncoders.h"
#include "samplegen/SpeechSignal.h"

namespace qor::samplegen {

std::vector<std::uint8_t> EncodeBody(std::int32_t codecTag, std::span<const std::int16_t> samples)
{
    switch (codecTag) {
    case kCodecALaw:
        return EncodeALaw(samples);
    case kCodecMuLaw:
        return EncodeMuLaw(samples);
    case kCodecImaAdpcm:
        return EncodeImaAdpcm(samples);
    case kCodecGsm:
        return EncodeGsm(samples);
    default:
        return {};
    }
}

CRvRecordFileHdr MakeHeader(const CSampleCall& call)
{
    CRvRecordFileHdr header;
    header.SetCodecTag(call.codecTag);
    header.SetImportant(call.important ? 1 : 0);
    header.SetCallerId(call.callerId);
    header.SetComment(call.comment);
    header.SetStartTime(call.startTime);
    header.SetDuration(call.storeDuration ? call.durationSeconds : 0);
    header.SetUserId(call.userId);
    header.SetRecorderType(call.recorderType);
    if (call.bookmarkStart >= 0)
        header.WriteBookmark(call.bookmarkStart, call.bookmarkEnd);
    if (call.version == 5) {
        header.SetVersion(call.innerVersion);
        header.SetEncryption(call.passphrase, call.keyType);
    }
    return header;
}

std::vector<std::uint8_t> MakeRecording(const CSampleCall& call)
{
    const std::vector<std::int16_t> sound
        = MakeSpeechLikeSignal(static_cast<std::size_t>(call.durationSeconds) * 8000, call.seed);
    return MakeRecordingOf(call, sound);
}

std::vector<std::uint8_t> MakeRecordingOf(const CSampleCall& call, std::span<const std::int16_t> sound)
{
    if (call.version < 1 || call.version > 5)
        return {};
    CRvRecordFileHdr header = MakeHeader(call);
    std::vector<std::uint8_t> bytes;
    if (call.version == 1 || call.version == 5) {
        if (call.version == 1)
            header.SetVersion(1);
        bytes = header.Serialize();
    } else {
        // Versions 2 and 3 share the version-4 layout; only the number differs.
        header.Serialize();
        bytes.assign(header.Image().begin(), header.Image().end());
        bytes[0] = static_cast<std::uint8_t>(call.version);
    }
    if (bytes.empty())
        return {};

    std::vector<std::uint8_t> body = EncodeBody(call.codecTag, sound);
    if (call.version == 5) {
        CRvAESCipher cipher;
        cipher.EncryptBuffer(body.size(), body.data(), body.data(), header.KeyCheck(), header.KeyType());
    }
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

namespace {

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    return !bytes.empty()
        && WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), 0644);
}

} // namespace

bool WriteRecording(const std::string& path, const CSampleCall& call)
{
    return WriteBytes(path, MakeRecording(call));
}

bool WriteRecordingOf(const std::string& path, const CSampleCall& call, std::span<const std::int16_t> sound)
{
    return WriteBytes(path, MakeRecordingOf(call, sound));
}

} // namespace qor::samplegen

#include "recording/NativeExport.h"

#include "foundation/AtomicFile.h"
#include "recording/GsmEncoder.h"
#include "recording/WholeSound.h"

#include <optional>
#include <vector>

namespace qor {

bool ExportNativeCopy(const std::string& recordingPath, const std::string& destination, CExistingFile existingFile)
{
    std::string content;
    return ReadTrustedFile(recordingPath, content)
        && WriteCallCopy(destination, content, AccessOfCall(recordingPath, false), existingFile);
}

bool WriteNative(const std::string& path, const CRvRecordFileHdr& header, std::int32_t durationSeconds,
    std::span<const std::int16_t> samples, const CCallAccess& access, CExistingFile existingFile)
{
    const std::optional<std::vector<std::uint8_t>> frames = EncodeGsmFrames(samples);
    if (!frames)
        return false;
    CRvRecordFileHdr copy = header;
    copy.ClearEncryption();
    copy.SetCodecTag(kCodecGsm);
    copy.SetDuration(durationSeconds);
    std::vector<std::uint8_t> bytes = copy.Serialize();
    bytes.insert(bytes.end(), frames->begin(), frames->end());
    return WriteCallCopy(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), access, existingFile);
}

bool WriteNative(const std::string& path, CRvRecordFile& recording, CExistingFile existingFile)
{
    if (!WaitForWholeSound(recording))
        return false;
    const CRvRecordFileHdr& header = recording.GetHeader();
    // Written without its encryption: the sound of an encrypted call is then its owner's alone.
    return WriteNative(path, header, header.Duration(), recording.GetSamples(0, recording.GetSampleCount()),
        AccessOfCall(recording.GetPath(), header.IsEncrypted()), existingFile);
}

} // namespace qor

// Writes recordings the way a recorder does: any header version, any codec, encrypted or plain,
// with chosen details and a speech-like sound. Tests build their fixtures with it.
#pragma once

#include "recording/RecordFileHdr.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qor::samplegen {

struct CSampleCall {
    int version = 4; // 1 to 4 plain; 5 an encrypted envelope around a version-4 record
    std::int32_t codecTag = kCodecGsm;
    std::string callerId = ">5551234";
    std::string userId = "User";
    std::int32_t startTime = 1'454'075'125; // 2016-01-29 13:45:25
    std::int32_t durationSeconds = 10;
    bool storeDuration = true; // false writes 0, which version-4 readers derive from the body
    std::string recorderType = "Unknown";
    std::string comment;
    int bookmarkStart = -1;
    int bookmarkEnd = -1;
    bool important = false;
    std::string passphrase; // for version 5
    int keyType = 0; // for version 5: 0, 1 or 2 for AES-128, -192, -256
    int innerVersion = 4; // for version 5: the version the encrypted record claims (1 or 4)
    std::uint32_t seed = 1; // chooses the sound
};

// The encoded body of samples in a codec; empty for an unknown codec.
std::vector<std::uint8_t> EncodeBody(std::int32_t codecTag, std::span<const std::int16_t> samples);

// The header the call describes.
CRvRecordFileHdr MakeHeader(const CSampleCall& call);

// The whole file: header bytes followed by the (encrypted, for version 5) body.
std::vector<std::uint8_t> MakeRecording(const CSampleCall& call);

// The whole file with a sound of the caller's own instead of the speech-like one (the header's
// duration stays the call's).
std::vector<std::uint8_t> MakeRecordingOf(const CSampleCall& call, std::span<const std::int16_t> sound);

// Writes the file; false when it cannot be written or the call cannot be encoded.
bool WriteRecording(const std::string& path, const CSampleCall& call);
// Writes the file with a sound of the caller's own.
bool WriteRecordingOf(const std::string& path, const CSampleCall& call, std::span<const std::int16_t> sound);

} // namespace qor::samplegen

// Writes a call as a WAV file other programs play: GSM 06.10 in WAV blocks (a tenth of the size)
// when libgsm can pack them, otherwise 16-bit PCM. Always mono at 8000 samples per second.
#pragma once

#include "foundation/AtomicFile.h"
#include "recording/RecordFile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qor {

// The 44-byte header and the samples, little-endian.
std::vector<std::uint8_t> MakePcmWav(std::span<const std::int16_t> samples);

// The 60-byte header (with the count of samples in its "fact" chunk) and the 65-byte blocks;
// nothing when libgsm cannot pack for WAV.
std::optional<std::vector<std::uint8_t>> MakeGsmWav(std::span<const std::int16_t> samples);

// Writes the whole call to path in one step, waiting for its decoder first. GSM unless forcePcm or
// GSM is unavailable. False, leaving whatever was at path untouched, when the sound is incomplete
// or the file cannot be written.
bool WriteWav(const std::string& path, CRvRecordFile& recording, bool forcePcm,
    CExistingFile existingFile = CExistingFile::Replace);

} // namespace qor

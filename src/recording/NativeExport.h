// Exports a call in the recorder's own format: the file as it stands, or a part of it (the
// bookmarked part) re-encoded as a plain GSM 06.10 recording that the program opens like any other.
#pragma once

#include "foundation/AtomicFile.h"
#include "recording/RecordFile.h"
#include "recording/RecordFileHdr.h"

#include <cstdint>
#include <span>
#include <string>

namespace qor {

// Copies the recording byte for byte to destination, replacing what is there in one step; false
// (destination untouched) when it cannot be read or written, or is reached through another user's
// link (errno EPERM).
bool ExportNativeCopy(const std::string& recordingPath, const std::string& destination,
    CExistingFile existingFile = CExistingFile::Replace);

// Writes a recording made of a copy of header, with the GSM codec and the given duration, and the
// samples as 33-byte GSM frames (the last one padded with silence). The header stays version 1 if
// it is; otherwise it becomes a plain version 4, since the body written is never encrypted. The
// file is no more open than access allows. False (path untouched) when it cannot be written.
bool WriteNative(const std::string& path, const CRvRecordFileHdr& header, std::int32_t durationSeconds,
    std::span<const std::int16_t> samples, const CCallAccess& access,
    CExistingFile existingFile = CExistingFile::Replace);

// The same for an open recording, such as a bookmark cut: its header, duration and whole sound,
// once its decoder has finished; no more open than the recording's file (its owner's alone when
// the recording is encrypted).
bool WriteNative(
    const std::string& path, CRvRecordFile& recording, CExistingFile existingFile = CExistingFile::Replace);

} // namespace qor

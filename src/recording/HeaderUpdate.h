// Changing a recording's header in place (the important mark, the comment, the bookmark, the
// caller ID) through one descriptor: the file is opened once, never through a link and only when it
// is a regular file, and locked while it is read, changed and written back, so that what another
// program changes meanwhile is kept and no file swapped in between is written. Only the header's
// bytes are written: the audio and the file's length never change.
#pragma once

#include "foundation/FileIdentity.h"
#include "recording/RecordFileHdr.h"

#include <functional>
#include <string>

namespace qor {

enum class CHeaderUpdate {
    Done,
    Unreadable, // the header cannot be read (see the header's FileMissing and the load result)
    Refused, // the change said no
    Failed, // it cannot be written; errno says why (ELOOP a link, EFBIG cut short in its header)
};

// Reads the header, lets change alter it (false leaves the file alone) and writes it back. The
// header read (and changed) is left in header; loaded has the load's result. With expected, only
// while that is still the file at path (Failed with errno ESTALE otherwise).
CHeaderUpdate UpdateRecordingHeader(const std::string& path, const std::string& passphrase,
    const std::function<bool(CRvRecordFileHdr&)>& change, CRvRecordFileHdr& header, int& loaded,
    const CFileIdentity* expected = nullptr);

// Why a header could not be written, in words a user can act on, for the errno a failure left.
std::string HeaderWriteFailureText(int error);

// Writes a header already in memory into the recording at path; with expected, only while that is
// still the file the header was read from (errno ESTALE otherwise).
bool WriteRecordingHeader(const std::string& path, CRvRecordFileHdr& header, const CFileIdentity* expected = nullptr);

} // namespace qor

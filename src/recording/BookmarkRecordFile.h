// A second, private copy of an open recording, cut down to its bookmarked part for the commands
// that export or mail only that part. The source file is never changed.
#pragma once

#include "recording/RecordFile.h"

#include <string>

namespace qor {

class CBookmarkRecordFile : public CRvRecordFile {
public:
    // Opens the source's file again with the settings' passphrase and waits for the whole sound.
    explicit CBookmarkRecordFile(const CRvRecordFile& source);
    CBookmarkRecordFile(const CRvRecordFile& source, const std::string& passphrase);

    // Keeps only the bookmarked samples and header duration, and drops the bookmark from the comment.
    // Does nothing when there is no bookmark.
    void CropToBookmark();

    // A path for a mail attachment made from the call, in a new private folder of the message's own
    // (see MailAttachments.h): the recording's name plus the extension, neutral.
    std::string MakeTempPath(const std::string& extension) const;

    const CRvRecordFile& Source() const { return m_source; }

private:
    const CRvRecordFile& m_source;
};

} // namespace qor

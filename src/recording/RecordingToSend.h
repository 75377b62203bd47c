// A call that is to be exported or sent is opened only as reached without another user's link: a
// link planted in a shared folder must not make us send a call of ours to someone else.
#pragma once

#include "recording/RecordFile.h"

#include <string>

namespace qor {

// What OpenAndWait gives for a call reached through another user's link (which it is not opened
// through).
constexpr int kRefusedLink = -100;

// OpenAndWait for a call to export or send.
int OpenRecordingToSend(CRvRecordFile& recording, const std::string& path, const std::string& passphrase);

// What to tell a user whose call was refused for that.
constexpr const char* kRefusedLinkText
    = "it is reached through another user's link, which is not followed to export or send a call; "
      "open the file it points to instead";

} // namespace qor

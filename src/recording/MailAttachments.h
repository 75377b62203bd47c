// Where the files attached to a message are made: copies of the calls (or WAV files made from
// them) under neutral names (letters, digits, "-" and "."), in a folder of the message's own inside
// a folder only this user may enter (mode 0700, files 0600). A mail program is handed those paths
// only, so no name of a shared call, and no folder another user chose, reaches it; and a decrypted
// call is never left where others can read it. They outlive the program, since the mail program
// may read them after it has ended; those older than a day are cleared away.
#pragma once

#include <string>
#include <string_view>

namespace qor {

// A new folder for one message's attachments, ending in "/"; empty when this user has no private
// folder to make it in (no runtime folder of theirs and no home).
std::string NewAttachmentFolder();

// The name a file is attached under: its letters, digits, "-" and "."; anything else becomes "-".
std::string NeutralAttachmentName(std::string_view name);

// Copies the file at path into folder under its neutral name, readable by this user only; the
// copy's path, or empty when it cannot be made (errno EPERM: path is reached through another
// user's link, which is never followed to send a call).
std::string AttachmentCopy(const std::string& folder, const std::string& path);

} // namespace qor

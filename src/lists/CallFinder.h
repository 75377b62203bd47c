// Finds calls within an open list, without touching the disk: a text in the user ID, caller ID or
// comment (or any of them), optionally only incoming or outgoing calls.
#pragma once

#include "lists/FileListEntry.h"

#include <memory>
#include <string>
#include <vector>

namespace qor {

enum class FindField { UserId, CallerId, Comment, All };
enum class FindDirection { Both, IncomingOnly, OutgoingOnly };

// The matching entries in list order; none for an empty text. The text matches anywhere and
// without regard to case; "*" and "?" work as wildcards.
std::vector<const CRvFileListEntry*> FindCalls(const std::vector<std::unique_ptr<CRvFileListEntry>>& entries,
    FindField field, const std::string& text, FindDirection direction);

} // namespace qor

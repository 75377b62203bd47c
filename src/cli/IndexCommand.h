// What the index command offers other commands.
#pragma once

#include <string>
#include <vector>

namespace qor::cli {

class CCliContext;

// Brings the call index up to date for folders and their sub-folders, as after an archive job
// that moved or deleted calls there; trouble with it is only noted.
void KeepCallIndexCurrent(const std::vector<std::string>& folders, CCliContext& context);

} // namespace qor::cli

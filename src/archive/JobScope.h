// Whose scheduled archive job a schedule, its log and its lock belong to: the user's own, kept in
// her own data folder, or the office's, which the office account alone runs and changes (from a
// system timer) and which everyone else only reads.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace qor {

enum class CJobScope { Own, Office };

// Where the scope's file of that name is.
std::string JobFilePath(CJobScope scope, const std::string& fileName);

// Whether this process writes the scope's files: its own always, the office's only when it runs as
// the office account.
bool WritesJobFiles(CJobScope scope);

// Why the office folder cannot be trusted with the office job's files, empty when it can: it
// must belong to the office account or root, and nobody else may write in it (not even with the
// sticky bit, or another user could plant a lock or a link that blocks or steers the job).
std::string OfficeFolderProblem();

// Whom a reader trusts the scope's files from besides itself and root: for the office's, the
// office account (so that its files are read only when they are that account's or root's).
std::optional<uid_t> JobFileOwner(CJobScope scope);

} // namespace qor

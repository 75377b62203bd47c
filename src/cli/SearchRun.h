// How a command searches folders: through the user's call index unless told not to, with a
// progress bar while the headers are read.
#pragma once

namespace qor {
class CQorTolvaneDoc;
class CSearchManager;
class CUserCallIndex;
} // namespace qor

namespace qor::cli {

class CCliContext;

// Opens the user's call index and tells the search to use it; says on standard error what was
// set aside, or why this search reads every file. False without an index.
bool UseCallIndex(CUserCallIndex& index, CSearchManager& search, const CCliContext& context);

// Runs the search to its end and hands its calls to the list; says once when the index could
// not be brought up to date (the list is right all the same).
// tellIndexLag false: the caller says it in its own words.
void RunSearch(CSearchManager& search, CQorTolvaneDoc& list, const CCliContext& context, bool tellIndexLag = true);

} // namespace qor::cli

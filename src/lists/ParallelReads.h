// Reading many small files with several reads in flight: storage (a cold disk, a network share)
// answers many requests at once far faster than one after another, while files already in memory
// are read fastest by one reader per processor. A few reader threads take the next index in turn;
// each index is read exactly once, and results go to the caller's slot for it, so the outcome does
// not depend on how many readers there were.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace qor {

constexpr int kMaxReaders = 32;

// The readers a caller asks for: a fixed number (1 to 32), or kAdaptiveReaders to start with one
// per processor and add readers while reads keep waiting on the storage.
constexpr int kAdaptiveReaders = 0;

// The number of readers chosen by QOR_SEARCH_READERS (1 to 32), or kAdaptiveReaders.
int ConfiguredReaders();

using TakeNext = std::function<std::optional<std::size_t>()>;
using ReadIndex = std::function<void(std::size_t index)>;

// Each reader (the calling thread is one of them, readers as above) calls take for an index, which
// may wait for one to come, and reads it; once take gives none, no reader takes another. Returns
// once every reader has finished.
void ReadAsTaken(int readers, const TakeNext& take, const ReadIndex& read);

// Calls read(index) for every index below count. Before taking each index a reader asks keepGoing;
// once it says no, no new index is taken.
void ReadInParallel(std::size_t count, int readers, const std::function<bool()>& keepGoing, const ReadIndex& read);

} // namespace qor

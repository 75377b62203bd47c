// Comparing two byte streams block by block (a copy in an archive and its original), without
// keeping either whole in memory, and learning what they hold on the way.
#pragma once

#include "archive/VerifiedCopy.h"

#include <cstddef>
#include <functional>

namespace qor {

// Reads up to size bytes into the buffer: the count read (0 at the end), or -1 on an error.
using ReadFunction = std::function<long(unsigned char* into, std::size_t size)>;

// A reader of the file open on descriptor, from its start.
ReadFunction FileReader(int descriptor);

// The size and digest of everything the reader gives; false on a read error.
bool DigestOf(const ReadFunction& read, CVerifiedCopy& sum);

// Whether both hold the same bytes; with sum, their size and digest are given back.
bool SameContent(const ReadFunction& first, const ReadFunction& second, CVerifiedCopy* sum = nullptr);

} // namespace qor

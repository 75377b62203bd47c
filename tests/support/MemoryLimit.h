// Runs a check in a child process whose address space may grow only a little beyond what it has,
// so that large allocations fail the way they do on a machine short of memory.
#pragma once

#include <cstddef>
#include <functional>

namespace qor::test {

// True when this build can limit memory: the sanitizers reserve vast address ranges up front.
bool CanLimitMemory();

// Runs body in a child allowed extraBytes more address space; returns what body returned, or -1
// when the child died (an uncaught exception or a signal).
int RunWithMemoryLimit(std::size_t extraBytes, const std::function<int()>& body);

} // namespace qor::test

// Runs a check in a forked child, so that what it changes about its process (user, limits) or
// how it dies cannot touch the test program.
#pragma once

#include <functional>

namespace qor::test {

// In the child: prepare, then body. Returns what body returned (0 to 254), or -1 when prepare
// failed or the child died (an uncaught exception, a signal).
int RunInChild(const std::function<bool()>& prepare, const std::function<int()>& body);

} // namespace qor::test

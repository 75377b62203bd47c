// Runs a check as an ordinary user, so that read-only files refuse writes even when the tests
// themselves run as root (as they do in CI).
#pragma once

#include <functional>

namespace qor::test {

// Runs body in a child process under the "nobody" account when running as root, or directly
// otherwise; returns what body returned (or -1 when the child could not run it).
int RunUnprivileged(const std::function<int()>& body);

} // namespace qor::test

#include "support/MemoryLimit.h"

#include "support/ChildProcess.h"

#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace qor::test {
namespace {

std::size_t CurrentAddressSpace()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace

bool CanLimitMemory()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return false;
#else
    return true;
#endif
}

int RunWithMemoryLimit(std::size_t extraBytes, const std::function<int()>& body)
{
    return RunInChild(
        [extraBytes] {
            const rlimit limit{ CurrentAddressSpace() + extraBytes, CurrentAddressSpace() + extraBytes };
            return setrlimit(RLIMIT_AS, &limit) == 0;
        },
        body);
}

} // namespace qor::test

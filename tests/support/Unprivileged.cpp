#include "support/Unprivileged.h"

#include "support/ChildProcess.h"

#include <unistd.h>

namespace qor::test {

int RunUnprivileged(const std::function<int()>& body)
{
    if (geteuid() != 0)
        return body();
    return RunInChild(
        [] {
            constexpr uid_t kNobody = 65534;
            return setgid(kNobody) == 0 && setuid(kNobody) == 0;
        },
        body);
}

} // namespace qor::test

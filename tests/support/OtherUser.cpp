#include "support/OtherUser.h"

#include "support/ChildProcess.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor::test {
namespace {

constexpr const char* kName = "qortest-other";

} // namespace

std::optional<COtherUser> COtherUser::Get()
{
    if (geteuid() != 0)
        return std::nullopt;
    if (!getpwnam(kName))
        std::system(
            (std::string("useradd --system --no-create-home --shell /usr/sbin/nologin ") + kName + " >/dev/null 2>&1")
                .c_str());
    const passwd* account = getpwnam(kName);
    if (!account)
        return std::nullopt;
    COtherUser user;
    user.m_uid = account->pw_uid;
    user.m_gid = account->pw_gid;
    return user;
}

int COtherUser::Run(const std::function<int()>& body) const
{
    return RunInChild([this] { return setgid(m_gid) == 0 && setuid(m_uid) == 0; }, body);
}

bool COtherUser::Own(const std::string& path) const
{
    return lchown(path.c_str(), m_uid, m_gid) == 0;
}

std::string MakeSharedFolder(const std::string& parent, const std::string& name)
{
    chmod(parent.c_str(), 0755);
    const std::string folder = parent + "/" + name;
    mkdir(folder.c_str(), 0777);
    chmod(folder.c_str(), 01777);
    return folder;
}

} // namespace qor::test

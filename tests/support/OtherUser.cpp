#include "support/OtherUser.h"

#include "support/ChildProcess.h"

#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor::test {
namespace {

constexpr const char* kName = "qortest-other";
constexpr const char* kOffice = "qortest-office";

// Whether the account is there, made when missing (only root can).
bool Account(const std::string& name, const std::string& useraddOptions)
{
    if (geteuid() != 0)
        return false;
    if (!getpwnam(name.c_str()))
        std::system(("useradd --system --no-create-home --shell /usr/sbin/nologin " + useraddOptions + " " + name
            + " >/dev/null 2>&1")
                        .c_str());
    return getpwnam(name.c_str()) != nullptr;
}

} // namespace

std::optional<COtherUser> COtherUser::Get()
{
    if (!Account(kName, ""))
        return std::nullopt;
    const passwd* account = getpwnam(kName);
    COtherUser user;
    user.m_name = kName;
    user.m_uid = account->pw_uid;
    user.m_gid = account->pw_gid;
    return user;
}

gid_t COtherUser::OfficeGroup()
{
    if (!getgrnam(kOffice))
        std::system((std::string("groupadd --system ") + kOffice + " >/dev/null 2>&1").c_str());
    const struct group* office = getgrnam(kOffice);
    return office ? office->gr_gid : 0;
}

std::optional<COtherUser> COtherUser::Colleague(const std::string& name)
{
    const std::string account = "qortest-" + name;
    if (geteuid() != 0 || OfficeGroup() == 0 || !Account(account, "--user-group --groups " + std::string(kOffice)))
        return std::nullopt;
    const passwd* entry = getpwnam(account.c_str());
    COtherUser user;
    user.m_name = account;
    user.m_uid = entry->pw_uid;
    user.m_gid = entry->pw_gid;
    user.m_colleague = true;
    return user;
}

int COtherUser::Run(const std::function<int()>& body) const
{
    return RunInChild(
        [this] {
            if (m_colleague) {
                const gid_t groups[] = { m_gid, OfficeGroup() };
                if (setgroups(2, groups) != 0)
                    return false;
                umask(002);
            } else if (setgroups(0, nullptr) != 0) {
                return false;
            }
            return setgid(m_gid) == 0 && setuid(m_uid) == 0;
        },
        body);
}

std::vector<std::string> COtherUser::Command(const std::string& home, const std::string& machine) const
{
    mkdir(home.c_str(), 0700);
    lchown(home.c_str(), m_uid, m_gid);
    // setpriv takes the account's groups from the group file; the shell sets the umask, and env
    // points every data folder into the user's own home.
    return { "setpriv", "--reuid=" + std::to_string(m_uid), "--regid=" + std::to_string(m_gid), "--init-groups", "--",
        "sh", "-c", "umask 002 && exec env \"$@\"", "sh", "HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
        "XDG_DATA_HOME=" + home + "/.local/share", "XDG_STATE_HOME=" + home + "/.local/state",
        "QOR_MACHINE_DATA_DIR=" + (machine.empty() ? home + "/machine" : machine) };
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

std::string MakeOfficeFolder(const std::string& parent, const std::string& name, mode_t mode)
{
    chmod(parent.c_str(), 0755);
    const std::string folder = parent + "/" + name;
    mkdir(folder.c_str(), 0775);
    chown(folder.c_str(), 0, COtherUser::OfficeGroup());
    chmod(folder.c_str(), mode);
    return folder;
}

} // namespace qor::test

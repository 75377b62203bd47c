#include "foundation/UserName.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace qor {

std::string UserName()
{
    if (const passwd* account = getpwuid(geteuid()))
        return account->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string AccountName(uid_t uid)
{
    const passwd* account = getpwuid(uid);
    return account ? account->pw_name : std::to_string(uid);
}

} // namespace qor

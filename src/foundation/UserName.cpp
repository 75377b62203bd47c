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

} // namespace qor

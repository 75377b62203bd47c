// The name of the user this program runs as, written into each archive job as its creator.
#pragma once

#include <string>
#include <sys/types.h>

namespace qor {

std::string UserName();
// The account's name, or its number when it has none.
std::string AccountName(uid_t uid);

} // namespace qor

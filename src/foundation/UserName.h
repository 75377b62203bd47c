// The name of the user this program runs as, written into each archive job as its creator.
#pragma once

#include <string>

namespace qor {

std::string UserName();

} // namespace qor

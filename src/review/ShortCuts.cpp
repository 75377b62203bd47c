#include "review/ShortCuts.h"

namespace qor {

CShortCuts::CShortCuts()
    : CTreeStore(kLockName, kElementName, kFileName, { { 0, kNoParent, "Shortcuts to Sources..", "", true } })
{
}

} // namespace qor

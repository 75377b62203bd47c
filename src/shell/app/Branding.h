// The branding bundle named in branding.xml replaces the program's names, texts and icons; one that
// cannot be used ends the start. The names also name the data folders and the recent-file store.
#pragma once

namespace qor {

// False when the bundle cannot be used (said on standard error, and in a box where there is a
// screen); nothing of it is then used.
bool UseBranding();

} // namespace qor

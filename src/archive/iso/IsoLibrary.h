// The one door to the ISO 9660 image library: its header (which needs the fixed-width integer types
// and, without the disc-burning library, its own copy of the burn-source declaration), its
// once-per-process set-up, and the text of its result codes.
#pragma once

#include <cstdint>
#define LIBISOFS_WITHOUT_LIBBURN 1
#include <libisofs/libisofs.h>
#include <string>

namespace qor {

// The library's codes are unsigned constants above INT_MAX; its calls return them as int.
constexpr int kIsoCancelledCode = static_cast<int>(ISO_CANCELED);

// The outcome of a step on an image: the library's result code, and the system's error number
// when a step of our own on a file failed.
struct CIsoStatus {
    int code = ISO_SUCCESS;
    int systemError = 0;

    bool Ok() const { return code >= 0; }
    bool Cancelled() const { return code == kIsoCancelledCode; }
    // The library's text for the code, followed by the system's reason when there is one.
    std::string Text() const;
};

// Sets the library up the first time it is asked, from any thread: names are taken as UTF-8
// whatever the locale, and the library prints nothing. Returns the set-up's result code.
int InitIsoLibrary();

} // namespace qor

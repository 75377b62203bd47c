// The options every image is written with: ISO 9660 level 2 names for old readers, Rock Ridge for
// full UTF-8 names of any length and deep folders, and Joliet (long names, UTF-16) for Windows.
// Owns the library's option set.
#pragma once

#include "archive/iso/IsoLibrary.h"

#include <ctime>

namespace qor {

class CIsoWriteOptions {
public:
    // The image's volume is dated creationTime.
    explicit CIsoWriteOptions(std::time_t creationTime);
    ~CIsoWriteOptions();
    CIsoWriteOptions(const CIsoWriteOptions&) = delete;
    CIsoWriteOptions& operator=(const CIsoWriteOptions&) = delete;

    // The library's result of making the set; the options are usable only when it is not negative.
    int Result() const { return m_result; }
    IsoWriteOpts* Get() const { return m_options; }

private:
    IsoWriteOpts* m_options = nullptr;
    int m_result = ISO_SUCCESS;
};

} // namespace qor

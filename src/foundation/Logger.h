// The common diagnostic log: Log.txt in the per-machine log folder, one time-stamped entry per call,
// rotated to Log-old.txt once it grows past 20 MiB. Every failure is silent; nothing reads it back.
// The log folder may be one that others can write: the file is only ever appended to when it is a
// regular file reached without another user's link (in its folders too), and every control character
// inside an entry (a line break in a file name) is written as an escape, so no name can forge a line
// of the log.
#pragma once

#include "foundation/Singleton.h"

#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <string>

namespace qor {

class CRvLogger {
public:
    static constexpr std::uintmax_t kSizeLimit = 20'971'520;

    // Takes the folder from GetLogFolder, so the data folder names must be set first.
    CRvLogger();
    explicit CRvLogger(std::string folder);
    virtual ~CRvLogger();

    CRvLogger(const CRvLogger&) = delete;
    CRvLogger& operator=(const CRvLogger&) = delete;

    // Appends one entry; the format carries its own line end when one is wanted.
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Appends one entry followed by a line end.
    void WriteLine(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const std::string& CurrentFile() const { return m_currentFile; }
    const std::string& OldFile() const { return m_oldFile; }

private:
    void WriteEntry(const char* format, va_list arguments, bool appendLineEnd);

    std::string m_folder;
    std::string m_currentFile;
    std::string m_oldFile;
    bool m_enabled = true;
    std::recursive_mutex m_lock;
};

// Shorthand for the process-wide logger.
#define QOR_LOG(...) ::qor::Singleton<::qor::CRvLogger>::Instance()->Write(__VA_ARGS__)

} // namespace qor

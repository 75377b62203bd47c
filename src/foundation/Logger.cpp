#include "foundation/Logger.h"

#include "foundation/DataFolders.h"

#include <cstdio>
#include <ctime>

namespace qor {
namespace {

void WriteTimeStamp(std::FILE* file)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    std::fprintf(file, "%04d/%02d/%02d %02d:%02d:%02d.%03hd : ", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
        local.tm_hour, local.tm_min, local.tm_sec, static_cast<short>(now.tv_nsec / 1'000'000));
}

} // namespace

CRvLogger::CRvLogger()
    : CRvLogger(GetLogFolder())
{
}

CRvLogger::CRvLogger(std::string folder)
    : m_folder(std::move(folder))
    , m_currentFile(m_folder + "Log.txt")
    , m_oldFile(m_folder + "Log-old.txt")
{
}

CRvLogger::~CRvLogger()
{
    // Lets a write in progress on another thread finish before the lock goes away.
    std::lock_guard guard(m_lock);
}

void CRvLogger::Write(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    WriteEntry(format, arguments, false);
    va_end(arguments);
}

void CRvLogger::WriteLine(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    WriteEntry(format, arguments, true);
    va_end(arguments);
}

void CRvLogger::WriteEntry(const char* format, va_list arguments, bool appendLineEnd)
{
    if (!m_enabled)
        return;
    std::lock_guard guard(m_lock);
    std::FILE* file = std::fopen(m_currentFile.c_str(), "a+");
    if (!file)
        return;
    WriteTimeStamp(file);
    std::vfprintf(file, format, arguments);
    if (appendLineEnd)
        std::fputc('\n', file);
    const long size = std::ftell(file);
    std::fclose(file);
    RotateIfAbove(size);
}

void CRvLogger::RotateIfAbove(long size)
{
    if (size < 0 || static_cast<std::uintmax_t>(size) <= kSizeLimit)
        return;
    std::remove(m_oldFile.c_str());
    std::rename(m_currentFile.c_str(), m_oldFile.c_str());
}

} // namespace qor

#include "support/SmallFileSystem.h"

#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qor::test {

CSmallFileSystem::CSmallFileSystem(std::uint64_t bytes)
{
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
    m_mounted = mount("tmpfs", m_folder.Path().c_str(), "tmpfs", 0, options.c_str()) == 0;
}

CSmallFileSystem::~CSmallFileSystem()
{
    if (m_mounted)
        umount2(m_folder.Path().c_str(), MNT_DETACH);
}

void CSmallFileSystem::FillLeaving(std::uint64_t bytes) const
{
    struct statvfs space { };
    if (statvfs(Path().c_str(), &space) != 0)
        return;
    const std::uint64_t free = space.f_bavail * space.f_frsize;
    if (free <= bytes)
        return;
    const int filler = open(File("filler").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (filler < 0)
        return;
    const std::string block(4096, 'f');
    for (std::uint64_t written = 0; written + bytes < free; written += block.size())
        if (write(filler, block.data(), block.size()) <= 0)
            break;
    close(filler);
}

} // namespace qor::test

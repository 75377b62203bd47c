// A small file system of its own (a tmpfs) for tests that need a disk that fills up: mounted on a
// temporary folder while the test runs. Only root may mount; elsewhere it is not available and the
// test says so.
#pragma once

#include "support/TestFolders.h"

#include <cstdint>
#include <string>

namespace qor::test {

class CSmallFileSystem {
public:
    explicit CSmallFileSystem(std::uint64_t bytes);
    ~CSmallFileSystem();
    CSmallFileSystem(const CSmallFileSystem&) = delete;
    CSmallFileSystem& operator=(const CSmallFileSystem&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Path() const { return m_folder.Path(); }
    std::string File(const std::string& name) const { return m_folder.File(name); }
    // Fills it with one file until only about bytes are left free.
    void FillLeaving(std::uint64_t bytes) const;

private:
    CTempFolder m_folder;
    bool m_mounted = false;
};

} // namespace qor::test

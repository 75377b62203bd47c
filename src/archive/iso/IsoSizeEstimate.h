// A running estimate of the finished image's size, kept up as folders and files are added, so that
// the threshold can be checked on every call without laying out the whole image each time. It
// follows how the image is built: 2 KiB blocks of file content, and for every folder its ISO 9660
// (with Rock Ridge) and Joliet directory records, continuation areas and path table entries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qor {

class CIsoSizeEstimate {
public:
    static constexpr std::uint64_t kBlockSize = 2048;

    CIsoSizeEstimate();

    // A new folder `name` inside the folder at parentPath ("" for the root); it is then known as
    // parentPath + "/" + name.
    void AddFolder(const std::string& parentPath, std::string_view name);
    void AddFile(const std::string& folderPath, std::string_view name, std::uint64_t size);

    std::uint64_t Bytes() const;

private:
    // Blocks of a folder's records in one tree, or of its continuation area: no record crosses a
    // block.
    struct CExtent {
        std::uint64_t blocks = 0;
        std::uint64_t usedInLastBlock = kBlockSize;
    };
    struct CFolder {
        CExtent iso;
        CExtent joliet;
        CExtent continuation;
    };

    void AddRecords(CFolder& folder, std::string_view name, bool isFile);
    void AddRecord(CExtent& extent, std::uint64_t length, std::uint64_t blockCapacity = kBlockSize);
    void AddPathTableEntries(std::string_view name);

    std::uint64_t m_metadataBlocks;
    std::uint64_t m_contentBlocks = 0;
    std::uint64_t m_isoPathTableBytes;
    std::uint64_t m_jolietPathTableBytes;
    std::unordered_map<std::string, CFolder> m_folders;
};

} // namespace qor

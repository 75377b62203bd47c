#include "archive/iso/IsoSizeEstimate.h"

#include "foundation/Utf8Text.h"

#include <algorithm>

namespace qor {
namespace {

// The empty image: the 16 blocks of the system area, the primary and Joliet volume descriptors and
// their terminator, the root folder's ISO extent and Rock Ridge continuation block, its Joliet
// extent, and the four path tables.
constexpr std::uint64_t kEmptyImageMetadataBlocks = 16 + 3 + 2 + 1 + 4;
// File content starts at block 32 at the earliest, and one zero block ends the image.
constexpr std::uint64_t kFirstContentBlock = 32;
constexpr std::uint64_t kTrailingBlocks = 1;

// Sizes of the structures in the folders, in bytes.
constexpr std::uint64_t kRecordFixedPart = 33;
constexpr std::uint64_t kLongestRecord = 254;
constexpr std::uint64_t kPathTableFixedPart = 8;
// Rock Ridge fields on every entry: POSIX attributes, time stamps, and the name field's header.
constexpr std::uint64_t kRockRidgeAttributes = 44 + 26;
constexpr std::uint64_t kRockRidgeNameHeader = 5;
constexpr std::uint64_t kContinuationEntry = 28;
// The Rock Ridge extension reference at the start of the root's continuation area.
constexpr std::uint64_t kExtensionReference = 182;
// The library reserves continuation areas less densely than it fills them: measured against its
// layout, about 1,900 bytes of each block count as usable.
constexpr std::uint64_t kContinuationBlockCapacity = 1900;
// The "." and ".." records that open every folder's extent.
constexpr std::uint64_t kIsoDotRecords = 2 * (34 + kRockRidgeAttributes);
constexpr std::uint64_t kJolietDotRecords = 2 * 34;
// The root's "." record also carries the Rock Ridge announcement.
constexpr std::uint64_t kIsoRootDotRecords = kIsoDotRecords + 7 + kContinuationEntry;
constexpr std::uint64_t kRootPathTableEntry = 10;

// ISO 9660 level 2 identifiers: up to 31 characters (a file's with its dot, added when missing),
// then ";1" for a file; every character outside the allowed set becomes one "_".
constexpr std::uint64_t kIsoNameLimit = 31;
// Joliet names in UTF-16 units, with the long-names allowance.
constexpr std::uint64_t kJolietNameLimit = 103;

std::uint64_t PaddedToEven(std::uint64_t length)
{
    return length + (length % 2);
}

std::uint64_t IsoIdentifierLength(std::string_view name, bool isFile)
{
    const std::uint64_t characters = CountCharacters(name);
    if (!isFile)
        return std::min(characters, kIsoNameLimit);
    const bool hasDot = name.find('.') != std::string_view::npos;
    return std::min(characters + (hasDot ? 0 : 1), kIsoNameLimit) + 2;
}

std::uint64_t JolietIdentifierLength(std::string_view name, bool isFile)
{
    // Characters beyond the Basic Multilingual Plane (four UTF-8 bytes) take two UTF-16 units.
    const std::uint64_t astral
        = std::count_if(name.begin(), name.end(), [](char byte) { return static_cast<unsigned char>(byte) >= 0xF0; });
    const std::uint64_t units = std::min(CountCharacters(name) + astral, kJolietNameLimit);
    return 2 * (units + (isFile ? 2 : 0));
}

std::uint64_t BlocksFor(std::uint64_t bytes)
{
    return (bytes + CIsoSizeEstimate::kBlockSize - 1) / CIsoSizeEstimate::kBlockSize;
}

} // namespace

CIsoSizeEstimate::CIsoSizeEstimate()
    : m_metadataBlocks(kEmptyImageMetadataBlocks)
    , m_isoPathTableBytes(kRootPathTableEntry)
    , m_jolietPathTableBytes(kRootPathTableEntry)
{
    CFolder& root = m_folders[""];
    root.iso = { 1, kIsoRootDotRecords };
    root.joliet = { 1, kJolietDotRecords };
    root.continuation = { 1, kExtensionReference };
}

void CIsoSizeEstimate::AddFolder(const std::string& parentPath, std::string_view name)
{
    AddRecords(m_folders[parentPath], name, false);
    AddPathTableEntries(name);
    CFolder& folder = m_folders[parentPath + "/" + std::string(name)];
    AddRecord(folder.iso, kIsoDotRecords);
    AddRecord(folder.joliet, kJolietDotRecords);
}

void CIsoSizeEstimate::AddFile(const std::string& folderPath, std::string_view name, std::uint64_t size)
{
    AddRecords(m_folders[folderPath], name, true);
    m_contentBlocks += BlocksFor(size);
}

std::uint64_t CIsoSizeEstimate::Bytes() const
{
    return (std::max(m_metadataBlocks, kFirstContentBlock) + m_contentBlocks + kTrailingBlocks) * kBlockSize;
}

void CIsoSizeEstimate::AddRecords(CFolder& folder, std::string_view name, bool isFile)
{
    // A name too long for the record is split: its rest goes, with a name field header of its
    // own, to the folder's continuation area.
    const std::uint64_t plainRecord = PaddedToEven(kRecordFixedPart + IsoIdentifierLength(name, isFile));
    std::uint64_t isoRecord = plainRecord + kRockRidgeAttributes + kRockRidgeNameHeader + name.size();
    if (isoRecord > kLongestRecord) {
        AddRecord(folder.continuation, isoRecord + kContinuationEntry + kRockRidgeNameHeader - kLongestRecord,
            kContinuationBlockCapacity);
        isoRecord = kLongestRecord;
    }
    AddRecord(folder.iso, PaddedToEven(isoRecord));
    AddRecord(folder.joliet, PaddedToEven(kRecordFixedPart + JolietIdentifierLength(name, isFile)));
}

void CIsoSizeEstimate::AddRecord(CExtent& extent, std::uint64_t length, std::uint64_t blockCapacity)
{
    if (extent.usedInLastBlock + length > blockCapacity) {
        ++extent.blocks;
        ++m_metadataBlocks;
        extent.usedInLastBlock = 0;
    }
    extent.usedInLastBlock += length;
}

void CIsoSizeEstimate::AddPathTableEntries(std::string_view name)
{
    // Each path table is written twice, in little- and big-endian order.
    const auto grow = [this](std::uint64_t& tableBytes, std::uint64_t entry) {
        const std::uint64_t blocksBefore = BlocksFor(tableBytes);
        tableBytes += PaddedToEven(kPathTableFixedPart + entry);
        m_metadataBlocks += 2 * (BlocksFor(tableBytes) - blocksBefore);
    };
    grow(m_isoPathTableBytes, IsoIdentifierLength(name, false));
    grow(m_jolietPathTableBytes, JolietIdentifierLength(name, false));
}

} // namespace qor

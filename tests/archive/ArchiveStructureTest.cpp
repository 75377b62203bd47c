#include "archive/ArchiveStructure.h"

#include "archive/ArchiveTypes.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace qor {
namespace {

TEST(ArchiveStructure, FoldersFollowTheStructure)
{
    EXPECT_EQ(ArchiveFolderFor(kStructureNone, "/calls/1234-20150301-101500.qor", 0), "");
    EXPECT_EQ(ArchiveFolderFor(kStructureByUser, "/calls/1234-20150301-101500.qor", 0), "1234");
    EXPECT_EQ(ArchiveFolderFor(kStructureByUser, "/calls/no-dash/call.qor", 0), "") << "only the file name counts";
    EXPECT_EQ(ArchiveFolderFor(kStructureByPath, "/home/ann/calls/2016/x.qor", 0), "home/ann/calls/2016");
    EXPECT_EQ(ArchiveFolderFor(kStructureByPath, "/x.qor", 0), "");
    EXPECT_EQ(ArchiveFolderFor(7, "/calls/a-b.qor", 0), "");

    const char* zone = std::getenv("TZ");
    const std::string saved = zone ? zone : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    // 2015-02-28 23:30 UTC is 1 March 2015, 00:30 in Berlin: the local month counts.
    EXPECT_EQ(ArchiveFolderFor(kStructureByMonth, "/calls/a.qor", 1'425'166'200), "Mar 2015");
    zone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(ArchiveStructure, APrefixFolderIsTakenOffOnlyWhereItLeads)
{
    EXPECT_EQ(StripFolderPrefix("calls/Alice/2016", "/calls/Alice"), "2016");
    EXPECT_EQ(StripFolderPrefix("calls/Alice/2016", "/calls/Alice/"), "2016");
    EXPECT_EQ(StripFolderPrefix("calls/Alice", "/calls/Alice"), "") << "the prefix folder is the archive's top";
    EXPECT_EQ(StripFolderPrefix("calls/Alicia/2016", "/calls/Alice"), "calls/Alicia/2016");
    EXPECT_EQ(StripFolderPrefix("other/2016", "/calls"), "other/2016");
}

TEST(ArchiveTypes, NamesOfMethodsStructuresAndProcessing)
{
    EXPECT_STREQ(ArchiveMethodShortName(kArchiveIso), "ISO");
    EXPECT_STREQ(ArchiveMethodShortName(0), "Unsupported Archive Type");
    EXPECT_STREQ(ArchiveMethodLogName(0), "Disk");
    EXPECT_EQ(ArchiveMethodFromLogName("ZIP format"), kArchiveZip);
    EXPECT_EQ(ArchiveMethodFromLogName("Disk"), kArchiveDisk);
    EXPECT_EQ(ArchiveMethodFromLogName("tape"), 0);
    EXPECT_STREQ(StructureName(kStructureByMonth), "By Month");
    EXPECT_STREQ(MediaProcessingName(kRemoveAudio), "Remove Audio");
}

} // namespace
} // namespace qor

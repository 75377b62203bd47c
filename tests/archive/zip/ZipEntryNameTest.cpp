#include "archive/zip/ZipEntryName.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

TEST(ZipEntryName, JoinsFolderAndFileNameWithoutEscapingTheExtractionFolder)
{
    EXPECT_EQ(MakeZipEntryName("", "/calls/1234-1.qor"), "1234-1.qor");
    EXPECT_EQ(MakeZipEntryName("1234", "/calls/1234-1.qor"), "1234/1234-1.qor");
    EXPECT_EQ(MakeZipEntryName("Rec/2015", "x.qor"), "Rec/2015/x.qor");
    EXPECT_EQ(MakeZipEntryName("/Rec//2015/", "/a/x.qor"), "Rec/2015/x.qor") << "never absolute, no empty parts";
    EXPECT_EQ(MakeZipEntryName("../../etc/./cron.d/..", "/a/x.qor"), "etc/cron.d/x.qor");
    EXPECT_EQ(MakeZipEntryName("\\Rec\\A", "/a/x.qor"), "_Rec_A/x.qor") << "Windows extractors split at \\";
    EXPECT_EQ(MakeZipEntryName("..", "/a/..\\..\\x.qor"), ".._.._x.qor") << "one name, never a way up";
    EXPECT_EQ(MakeZipEntryName("", "/a/Alice-back\\slash.qor"), "Alice-back_slash.qor");
    EXPECT_EQ(MakeZipEntryName("Mar 2015", "/a/b c.qor"), "Mar 2015/b c.qor");
    EXPECT_EQ(MakeZipEntryName("folder", "/a/.."), "") << "no file name to archive under";
    EXPECT_EQ(MakeZipEntryName("folder", "/a/"), "");
}

} // namespace
} // namespace qor

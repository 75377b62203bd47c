#include "recording/RecordFileHdr.h"
#include "samplegen/DemoLibrary.h"
#include "samplegen/SampleRecording.h"
#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace qor {
namespace {

namespace fs = std::filesystem;

TEST(SampleGenerator, DemoLibraryCoversUsersMonthsDirectionsCodecsAndEncryption)
{
    test::CTempFolder folder;
    constexpr int kCalls = 40;
    ASSERT_EQ(samplegen::WriteDemoLibrary(folder.Path(), kCalls), kCalls);

    const std::regex name(R"([A-Z][a-z]+-20160[1-9]\d{2}-\d{6}\.qor|[A-Z][a-z]+-20161[0-2]\d{2}-\d{6}\.qor)");
    std::set<std::string> users, months, directions;
    std::set<std::int32_t> codecs;
    int encrypted = 0, files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const std::string fileName = entry.path().filename().string();
        EXPECT_TRUE(std::regex_match(fileName, name)) << fileName;
        CRvRecordFileHdr header;
        const int plain = CRvRecordFileHdr().Load(entry.path().string(), "");
        ASSERT_EQ(header.Load(entry.path().string(), samplegen::kDemoPassphrase), 1440) << fileName;
        if (header.IsEncrypted()) {
            ++encrypted;
            EXPECT_EQ(plain, 0) << "encrypted calls need the passphrase";
        }
        EXPECT_EQ(fileName.substr(0, fileName.find('-')), header.UserId());
        EXPECT_EQ(entry.path().parent_path().filename(), header.UserId());
        users.insert(header.UserId());
        months.insert(fileName.substr(fileName.find('-') + 1, 6));
        directions.insert(header.CallerId().substr(0, 1));
        codecs.insert(header.GetCodecTag());
    }
    EXPECT_EQ(files, kCalls);
    EXPECT_EQ(users.size(), 5u);
    EXPECT_EQ(months.size(), 12u);
    EXPECT_EQ(directions, (std::set<std::string>{ "<", ">" }));
    EXPECT_EQ(codecs, (std::set<std::int32_t>{ kCodecALaw, kCodecMuLaw, kCodecImaAdpcm, kCodecGsm }));
    EXPECT_EQ(encrypted, kCalls / 10);
}

TEST(SampleGenerator, RefusesWhatNoRecorderWrites)
{
    samplegen::CSampleCall call;
    for (const int version : { 0, 6 }) {
        call.version = version;
        EXPECT_TRUE(samplegen::MakeRecording(call).empty()) << version;
    }
    call.version = 4;
    call.codecTag = 99;
    EXPECT_EQ(samplegen::MakeRecording(call).size(), CRvRecordFileHdr::kImageSize) << "no body for an unknown codec";
    test::CTempFolder folder;
    EXPECT_FALSE(samplegen::WriteRecording(folder.File("missing/x.qor"), samplegen::CSampleCall{}));
}

} // namespace
} // namespace qor

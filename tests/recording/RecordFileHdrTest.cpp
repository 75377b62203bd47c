#include "recording/RecordFileHdr.h"

#include "samplegen/SampleRecording.h"
#include "support/Locales.h"
#include "support/RecordingFolder.h"
#include "support/Unprivileged.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using samplegen::CSampleCall;
using test::ReadFileText;
using test::WriteFileText;

std::string HeaderOnly(int version, std::int32_t codec, std::int32_t duration, std::size_t bodyBytes)
{
    CRvRecordFileHdr header;
    header.SetCodecTag(codec);
    header.SetDuration(duration);
    std::vector<std::uint8_t> bytes = header.Serialize();
    bytes[0] = static_cast<std::uint8_t>(version);
    return std::string(bytes.begin(), bytes.end()) + std::string(bodyBytes, '\x55');
}

class RecordFileHdr : public ::testing::Test {
protected:
    test::CRecordingFolder folder;
};

TEST_F(RecordFileHdr, EveryVersionReadsBackItsFields)
{
    CSampleCall call;
    call.callerId = "<0123456789";
    call.userId = "Alice";
    call.comment = "Call back Monday";
    call.important = true;
    call.startTime = 1'700'000'000;
    call.durationSeconds = 3;
    call.codecTag = kCodecMuLaw;
    call.recorderType = "Desk 4";
    call.passphrase = "demo";
    for (int version = 1; version <= 5; ++version) {
        call.version = version;
        const std::string path = folder.Write("v" + std::to_string(version) + ".qor", call);
        CRvRecordFileHdr header;
        ASSERT_EQ(header.Load(path, "demo"), version == 1 ? 1176 : 1440) << version;
        EXPECT_EQ(header.CallerId(), "<0123456789");
        EXPECT_EQ(header.Comment(), "Call back Monday");
        EXPECT_EQ(header.Important(), 1);
        EXPECT_EQ(header.StartTime(), 1'700'000'000);
        EXPECT_EQ(header.Duration(), 3);
        EXPECT_EQ(header.GetCodecTag(), kCodecMuLaw);
        EXPECT_EQ(header.UserId(), version == 1 ? "" : "Alice");
        EXPECT_EQ(header.RecorderType(), version == 1 ? "n/a" : "Desk 4");
        EXPECT_EQ(header.IsEncrypted(), version == 5);
        EXPECT_EQ(header.Load(path, "demo"), 1) << "a loaded header is not read again";
    }
}

TEST_F(RecordFileHdr, WritingBackRewritesOnlyHeaderBytes)
{
    for (int version : { 1, 2, 4, 5 }) {
        CSampleCall call;
        call.version = version;
        call.passphrase = "demo";
        call.keyType = 1;
        const std::string path = folder.Write("call.qor", call);
        const std::string before = ReadFileText(path);
        const std::size_t headerBytes = version == 1 ? 1176 : version == 5 ? 1488 : 1440;

        CRvRecordFileHdr header;
        ASSERT_GT(header.Load(path, "demo"), 0);
        header.SetComment("edited");
        header.SetImportant(1);
        ASSERT_TRUE(header.Save(path));
        const std::string after = ReadFileText(path);
        ASSERT_EQ(after.size(), before.size()) << version;
        EXPECT_EQ(after.substr(headerBytes), before.substr(headerBytes)) << "the body is untouched";

        CRvRecordFileHdr reread;
        ASSERT_EQ(reread.Load(path, "demo"), version == 1 ? 1176 : 1440);
        EXPECT_EQ(reread.Version(), version == 1 ? 1 : 4) << "versions 2 and 3 are upgraded to 4";
        EXPECT_EQ(reread.HeaderLength(), version == 1 ? 1176 : 1440);
        EXPECT_EQ(reread.Comment(), "edited");
    }
}

TEST_F(RecordFileHdr, VersionTwoKeepsEveryOtherByteWhenUpgraded)
{
    CSampleCall call;
    call.version = 2;
    const std::string path = folder.Write("v2.qor", call);
    const std::string before = ReadFileText(path);
    CRvRecordFileHdr header;
    ASSERT_EQ(header.Load(path, ""), 1440);
    ASSERT_TRUE(header.Save(path));
    const std::string after = ReadFileText(path);
    EXPECT_EQ(after[0], 4);
    EXPECT_EQ(after.substr(4), before.substr(4));
}

TEST_F(RecordFileHdr, VersionFourWithoutDurationMeasuresTheBody)
{
    struct Case {
        std::int32_t codec;
        std::size_t body;
        std::int32_t seconds;
    };
    const Case cases[] = { { kCodecGsm, 66, 0 }, { kCodecGsm, 8000 * 33, 160 }, { kCodecMuLaw, 80'000, 10 },
        { kCodecALaw, 80'000, 10 }, { kCodecImaAdpcm, 2560, 0 }, { kCodecImaAdpcm, 256 * 160, 10 },
        { kCodecNone, 80'000, 0 } };
    for (const Case& c : cases) {
        WriteFileText(folder.File("d.qor"), HeaderOnly(4, c.codec, 0, c.body));
        CRvRecordFileHdr header;
        ASSERT_EQ(header.Load(folder.File("d.qor"), ""), 1440);
        EXPECT_EQ(header.Duration(), c.seconds) << c.codec << " " << c.body;
    }
    WriteFileText(folder.File("v3.qor"), HeaderOnly(3, kCodecMuLaw, 0, 80'000));
    CRvRecordFileHdr version3;
    ASSERT_EQ(version3.Load(folder.File("v3.qor"), ""), 1440);
    EXPECT_EQ(version3.Duration(), 0) << "only version 4 measures";
}

TEST_F(RecordFileHdr, StoredHeaderLengthIsIgnored)
{
    std::string bytes = HeaderOnly(4, kCodecMuLaw, 0, 8000);
    bytes[4] = static_cast<char>(2000 & 0xFF);
    bytes[5] = static_cast<char>(2000 >> 8);
    WriteFileText(folder.File("h.qor"), bytes);
    CRvRecordFileHdr header;
    EXPECT_EQ(header.Load(folder.File("h.qor"), ""), 1440);
    EXPECT_EQ(header.HeaderLength(), 1440);
    EXPECT_EQ(header.Duration(), 1);
}

TEST_F(RecordFileHdr, UnreadableFilesGiveTheirOwnResults)
{
    CRvRecordFileHdr missing;
    EXPECT_EQ(missing.Load(folder.File("missing.qor"), ""), 0);
    EXPECT_EQ(missing.RecorderType(), "Load failed");
    EXPECT_EQ(missing.GetCodecTag(), kCodecNone);
    EXPECT_EQ(CRvRecordFileHdr().Load("", ""), 0);

    WriteFileText(folder.File("short.qor"), std::string("\x04\0\0\0\xa0", 5));
    CRvRecordFileHdr tooShort;
    EXPECT_EQ(tooShort.Load(folder.File("short.qor"), ""), 0);
    EXPECT_EQ(tooShort.CallerId(), "ERROR!");
    EXPECT_EQ(tooShort.Comment(), "Disk or network error occured while reading file!");

    for (int version : { 0, -1, 6, 0x4d42 }) {
        std::string bytes(2000, '\0');
        std::memcpy(bytes.data(), &version, 4);
        WriteFileText(folder.File("bad.qor"), bytes);
        CRvRecordFileHdr header;
        EXPECT_EQ(header.Load(folder.File("bad.qor"), ""), -1) << version;
        EXPECT_EQ(header.RecorderType(), "n/a");
        EXPECT_EQ(header.Duration(), 0);
    }

    // A header cut short is no recording: its missing fields would show as garbage, and it is never
    // written back (the file would grow).
    for (const std::size_t length : { std::size_t(100), std::size_t(1000), std::size_t(1439) }) {
        WriteFileText(folder.File("cut.qor"), HeaderOnly(4, kCodecMuLaw, 0, 0).substr(0, length));
        CRvRecordFileHdr cut;
        EXPECT_EQ(cut.Load(folder.File("cut.qor"), ""), 0) << length;
        EXPECT_TRUE(cut.IsCutShort());
        EXPECT_TRUE(cut.Serialize().empty());
    }
}

TEST_F(RecordFileHdr, EncryptedHeadersNeedTheRightPassphraseAndAKnownKeyType)
{
    CSampleCall call;
    call.version = 5;
    call.passphrase = "Secret";
    call.keyType = 2;
    call.callerId = ">999";
    const std::string path = folder.Write("enc.qor", call);

    CRvRecordFileHdr right;
    EXPECT_EQ(right.Load(path, "Secret"), 1440);
    EXPECT_EQ(right.CallerId(), ">999");
    EXPECT_EQ(right.KeyType(), 2);
    for (const char* wrong : { "secret", "" }) {
        CRvRecordFileHdr header;
        EXPECT_EQ(header.Load(path, wrong), 0) << wrong;
        EXPECT_TRUE(header.IsEncrypted());
        EXPECT_EQ(header.CallerId(), "");
    }

    std::string bytes = ReadFileText(path);
    for (const std::int32_t keyType : { -1, 3, -7 }) {
        std::memcpy(bytes.data() + 4, &keyType, 4);
        WriteFileText(folder.File("key.qor"), bytes);
        CRvRecordFileHdr header;
        EXPECT_EQ(header.Load(folder.File("key.qor"), "Secret"), 0) << keyType;
    }
    for (const std::size_t length : { std::size_t{ 20 }, std::size_t{ 1000 } }) {
        WriteFileText(folder.File("cut.qor"), ReadFileText(path).substr(0, length));
        CRvRecordFileHdr header;
        EXPECT_EQ(header.Load(folder.File("cut.qor"), "Secret"), 0) << length;
    }
}

TEST_F(RecordFileHdr, DisplayTimeCorrectsTwoRecorderTypes)
{
    const char* savedZone = std::getenv("TZ");
    const std::string saved = savedZone ? savedZone : "";
    setenv("TZ", "EST5", 1);
    tzset();
    CRvRecordFileHdr header;
    header.SetStartTime(1'000'000);
    for (const char* corrected : { "DRAV", "LEmOX" }) {
        header.SetRecorderType(corrected);
        EXPECT_EQ(header.DisplayTime(), 1'000'000 + 5 * 3600) << corrected;
    }
    for (const char* plain : { "drav", "LEMOX", "Unknown", "DRAV " }) {
        header.SetRecorderType(plain);
        EXPECT_EQ(header.DisplayTime(), 1'000'000) << plain;
    }
    if (savedZone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(RecordFileHdr, TextsOfStartTimeAndDurations)
{
    CRvRecordFileHdr header;
    header.SetStartTime(1'454'075'125);
    EXPECT_EQ(header.FormatStartTime(), "01/29/16 13:45:25") << "C locale: the stored time is shown as it is";
    EXPECT_LE(header.FormatStartTime().size(), 20u);
    for (const auto& [seconds, text] : std::vector<std::pair<int, std::string>>{ { 3725, "01:02:05" },
             { 360'000, "100:00:00" }, { 0, "00:00:00" }, { 59, "00:00:59" }, { -5, "00:00:00" } }) {
        header.SetDuration(seconds);
        EXPECT_EQ(header.FormatDuration(), text);
        header.SetExtraSeconds(seconds);
        EXPECT_EQ(header.FormatExtraSeconds(), text);
    }
}

TEST_F(RecordFileHdr, StartTimesInLongLocalesAreCutByCharacters)
{
    CRvRecordFileHdr header;
    header.SetStartTime(1'454'075'125);
    {
        test::CLocale japanese("ja_JP");
        ASSERT_TRUE(japanese.Active()) << "localedef could not compile ja_JP; scripts/setup installs locales";
        EXPECT_EQ(header.FormatStartTime(), "2016\u5E7401\u670829\u65E5 13\u664245\u520625")
            << "twenty characters, date and time both there";
    }
    {
        test::CLocale arabic("ar_SA");
        ASSERT_TRUE(arabic.Active());
        const std::string text = header.FormatStartTime();
        EXPECT_EQ(CountCharacters(text), 20u);
        EXPECT_TRUE(IsValidUtf8(text));
        EXPECT_NE(text.find("29"), std::string::npos) << "the long date is no longer lost";
    }
}

TEST_F(RecordFileHdr, TextFieldsAreCutToTheirSizeOnACharacterBoundary)
{
    CRvRecordFileHdr header;
    header.SetCallerId(std::string(200, 'x'));
    EXPECT_EQ(header.CallerId().size(), 127u);
    const std::string euros = std::string(126, 'a') + "\xE2\x82\xAC"; // "€" would end at byte 129
    header.SetCallerId(euros);
    EXPECT_EQ(header.CallerId(), std::string(126, 'a'));
    header.SetComment("long comment that will be replaced");
    header.SetComment("short");
    EXPECT_EQ(header.Comment(), "short");
    EXPECT_EQ(header.Image()[144 + 6], 0) << "no earlier text lingers after the terminator";
}

// What "Remove Audio" leaves of the recording at path, written over it; false when the header
// cannot be read.
bool StripInPlace(const std::string& path, const std::string& passphrase)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::vector<std::uint8_t> stripped = CRvRecordFileHdr().HeaderOnly(descriptor, passphrase);
    close(descriptor);
    if (stripped.empty())
        return false;
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    const bool written = file && std::fwrite(stripped.data(), 1, stripped.size(), file) == stripped.size();
    if (file)
        std::fclose(file);
    return written && truncate(path.c_str(), static_cast<off_t>(stripped.size())) == 0;
}

TEST_F(RecordFileHdr, RemoveAudioLeavesAHeaderThatStillListsTheCall)
{
    struct Case {
        int version;
        std::size_t size;
    };
    for (const Case c : { Case{ 1, 1176 }, Case{ 3, 1440 }, Case{ 4, 1440 }, Case{ 5, 1488 } }) {
        CSampleCall call;
        call.version = c.version;
        call.passphrase = "demo";
        call.comment = "keep me";
        call.durationSeconds = 12;
        const std::string path = folder.Write("strip.qor", call);
        chmod(path.c_str(), 0640);
        ASSERT_TRUE(StripInPlace(path, "demo")) << c.version;
        EXPECT_EQ(fs::file_size(path), c.size);
        CRvRecordFileHdr reread;
        EXPECT_GT(reread.Load(path, "demo"), 0);
        EXPECT_EQ(reread.Comment(), "keep me");
        EXPECT_EQ(reread.Duration(), 12);
        EXPECT_EQ(reread.CallerId(), ">5551234");
    }

    CSampleCall encrypted;
    encrypted.version = 5;
    encrypted.passphrase = "demo";
    const std::string path = folder.Write("locked.qor", encrypted);
    const std::string before = ReadFileText(path);
    EXPECT_FALSE(StripInPlace(path, "wrong"));
    WriteFileText(folder.File("notes.qor"), std::string(3000, 'z'));
    EXPECT_FALSE(StripInPlace(folder.File("notes.qor"), ""));
    EXPECT_EQ(ReadFileText(path), before);
    EXPECT_EQ(fs::file_size(folder.File("notes.qor")), 3000u) << "a file that is no recording is never cut";
}

TEST_F(RecordFileHdr, SaveReportsFilesItCannotUpdate)
{
    CRvRecordFileHdr header;
    EXPECT_FALSE(header.Save(folder.File("vanished.qor")));
    EXPECT_FALSE(fs::exists(folder.File("vanished.qor"))) << "a bare header is never created";

    const std::string path = folder.Write("readonly.qor", CSampleCall{});
    chmod(folder.Path().c_str(), 0755);
    chmod(path.c_str(), 0444);
    const std::string before = ReadFileText(path);
    EXPECT_EQ(test::RunUnprivileged([&] { return header.Save(path) ? 1 : 0; }), 0);
    EXPECT_EQ(ReadFileText(path), before);
}

} // namespace
} // namespace qor

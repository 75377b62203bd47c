#include "recording/RecordFile.h"

#include "samplegen/AudioEncoders.h"
#include "samplegen/SampleRecording.h"
#include "samplegen/SpeechSignal.h"
#include "support/MemoryLimit.h"
#include "support/RecordingFolder.h"
#include "support/Unprivileged.h"

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

std::string PlainHeader(std::int32_t codec)
{
    CRvRecordFileHdr header;
    header.SetCodecTag(codec);
    header.SetDuration(1);
    const std::vector<std::uint8_t> bytes = header.Serialize();
    return { bytes.begin(), bytes.end() };
}

std::vector<std::int16_t> AllSamples(const CRvRecordFile& file)
{
    const auto samples = file.GetSamples(0, file.GetSampleCount());
    return { samples.begin(), samples.end() };
}

class RecordFile : public ::testing::Test {
protected:
    test::CRecordingFolder folder;
};

TEST_F(RecordFile, EveryVersionAndCodecDecodesToTheExpectedLength)
{
    for (const std::int32_t codec : { kCodecALaw, kCodecMuLaw, kCodecImaAdpcm, kCodecGsm }) {
        for (int version = 1; version <= 5; ++version) {
            CSampleCall call;
            call.codecTag = codec;
            call.version = version;
            call.durationSeconds = 3;
            call.passphrase = "demo";
            call.keyType = version % 3;
            const std::string path = folder.Write("call.qor", call);
            CRvRecordFile file;
            ASSERT_EQ(file.OpenAndWait(path, "demo"), 1) << codec << " v" << version;
            const std::int32_t expected = codec == kCodecImaAdpcm ? 48 * 504 : 24'000; // whole blocks
            EXPECT_EQ(file.GetSampleCount(), expected) << codec << " v" << version;
            EXPECT_FALSE(file.IsDecoding());
            EXPECT_TRUE(file.IsReady());
            const auto samples = file.GetSamples(0, 24'000);
            EXPECT_GT(
                std::count_if(samples.begin(), samples.end(), [](std::int16_t s) { return std::abs(s) > 500; }), 1000)
                << "sound, not silence";
            // The waveform is there as soon as decoding is over, and is the sound's.
            const CWaveSummary* summary = file.GetSummary();
            ASSERT_NE(summary, nullptr);
            const auto all = file.GetSamples(0, file.GetSampleCount());
            const auto [least, greatest] = std::minmax_element(all.begin(), all.end());
            EXPECT_EQ(summary->SampleCount(), all.size());
            EXPECT_EQ(summary->Extremes(0, all.size()).least, *least);
            EXPECT_EQ(summary->Extremes(0, all.size()).greatest, *greatest);
        }
    }
}

TEST_F(RecordFile, EncryptedBodiesDecodeLikeTheirPlainTwins)
{
    CSampleCall call;
    call.durationSeconds = 2;
    const std::string plain = folder.Write("plain.qor", call);
    call.version = 5;
    call.passphrase = "demo";
    const std::string encrypted = folder.Write("encrypted.qor", call);

    CRvRecordFile plainFile, encryptedFile, wrong;
    ASSERT_EQ(plainFile.OpenAndWait(plain, ""), 1);
    ASSERT_EQ(encryptedFile.OpenAndWait(encrypted, "demo"), 1);
    EXPECT_EQ(AllSamples(encryptedFile), AllSamples(plainFile));
    EXPECT_EQ(wrong.Open(encrypted, "Demo"), 0);
    EXPECT_EQ(wrong.GetSampleCount(), 0);
    EXPECT_TRUE(wrong.IsOpen()) << "the file itself could be opened";
}

TEST_F(RecordFile, WholeFramesAndBlocksOnly)
{
    struct Case {
        std::int32_t codec;
        std::size_t body;
        std::int32_t samples;
    };
    for (const Case c : { Case{ kCodecGsm, 330, 1600 }, Case{ kCodecGsm, 340, 1600 }, Case{ kCodecGsm, 32, 0 },
             Case{ kCodecImaAdpcm, 511, 504 }, Case{ kCodecImaAdpcm, 255, 0 }, Case{ kCodecALaw, 1, 1 },
             Case{ kCodecNone, 500, 0 }, Case{ 99, 500, 0 } }) {
        WriteFileText(folder.File("f.qor"), PlainHeader(c.codec) + std::string(c.body, '\xD5'));
        CRvRecordFile file;
        EXPECT_EQ(file.OpenAndWait(folder.File("f.qor"), ""), c.samples > 0 ? 1 : 0) << c.codec << " " << c.body;
        EXPECT_EQ(file.GetSampleCount(), c.samples) << c.codec << " " << c.body;
    }
}

TEST_F(RecordFile, MuLawUsesTheProgramsOwnTable)
{
    WriteFileText(folder.File("mu.qor"), PlainHeader(kCodecMuLaw) + std::string("\x00\xFF\x80\x7F", 4));
    CRvRecordFile file;
    ASSERT_EQ(file.Open(folder.File("mu.qor"), ""), 1);
    EXPECT_EQ(AllSamples(file), (std::vector<std::int16_t>{ -32256, 0, 32256, 0 }));
}

TEST_F(RecordFile, OtherFilesFallBackToRawAudio)
{
    std::string wav(1000, '\0');
    wav.replace(0, 4, "RIFF");
    WriteFileText(folder.File("note.WAV"), wav);
    CRvRecordFile wavFile;
    ASSERT_EQ(wavFile.Open(folder.File("note.WAV"), ""), 1);
    EXPECT_EQ(wavFile.GetSampleCount(), 500);
    EXPECT_EQ(wavFile.GetSamples(0, 1)[0], 'R' | 'I' << 8) << "the RIFF header is part of the sound";

    const std::string raw = folder.File("call.raw");
    WriteFileText(raw, std::string(800, '\x80'));
    CRvRecordFile rawFile;
    ASSERT_EQ(rawFile.Open(raw, ""), 1);
    EXPECT_EQ(rawFile.GetSampleCount(), 800);
    EXPECT_EQ(rawFile.GetSamples(0, 1)[0], 32256);
    EXPECT_EQ(rawFile.GetCallerId(), raw.substr(0, 16));
    EXPECT_EQ(rawFile.GetComment(), raw);
    EXPECT_EQ(rawFile.GetHeader().GetCodecTag(), kCodecMuLaw);

    // Without a header of its own, nothing may be written into it.
    rawFile.SetComment("note");
    EXPECT_EQ(rawFile.Commit(), 0);
    EXPECT_EQ(ReadFileText(raw), std::string(800, '\x80'));
}

TEST_F(RecordFile, FailuresToOpen)
{
    CRvRecordFile file;
    EXPECT_EQ(file.Open(folder.File("missing.qor"), ""), 0);
    EXPECT_FALSE(file.IsOpen());
    WriteFileText(folder.File("short.qor"), PlainHeader(kCodecMuLaw).substr(0, 1439));
    EXPECT_EQ(file.Open(folder.File("short.qor"), ""), 0);
    WriteFileText(folder.File("empty.raw"), "");
    EXPECT_EQ(file.Open(folder.File("empty.raw"), ""), 0);
    EXPECT_EQ(file.Open(folder.Path(), ""), 0) << "a folder";
    EXPECT_EQ(file.Open("", ""), 1) << "an empty path just closes";
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(RecordFile, SamplesPointIntoTheDecodedSound)
{
    CSampleCall call;
    call.codecTag = kCodecALaw;
    call.durationSeconds = 2;
    const std::string path = folder.Write("a.qor", call);
    CRvRecordFile file;
    ASSERT_EQ(file.Open(path, ""), 1);
    EXPECT_EQ(file.GetSamples(file.GetSampleCount() - 10, 8000).size(), 10u);
    EXPECT_TRUE(file.GetSamples(file.GetSampleCount(), 8000).empty());
    EXPECT_TRUE(file.GetSamples(-1, 10).empty());
    EXPECT_EQ(file.GetSamples(100, 5).data(), file.GetSamples(0, 200).data() + 100);

    const auto before = AllSamples(file);
    call.seed = 99;
    folder.Write("a.qor", call);
    EXPECT_EQ(file.Open(path, ""), 1);
    EXPECT_EQ(AllSamples(file), before) << "the same path open with samples is not read again";
}

TEST_F(RecordFile, StoppingADecoderMidWayAndClosingAreSafe)
{
    CSampleCall call;
    call.durationSeconds = 300;
    call.codecTag = kCodecGsm;
    const std::string path = folder.Write("long.qor", call);
    for (int round = 0; round < 3; ++round) {
        CRvRecordFile file;
        ASSERT_EQ(file.Open(path, ""), 1);
        EXPECT_EQ(file.GetSampleCount(), 300 * 8000) << "the full count is known at once";
        file.StopDecoding();
        EXPECT_FALSE(file.IsDecoding());
        EXPECT_LE(file.GetDecodedCount(), file.GetSampleCount());
        ASSERT_EQ(file.Open(path, ""), 1) << "a stopped decode is taken up again by the next open";
    } // the destructor stops a running decoder before freeing its buffers

    CRvRecordFile file;
    ASSERT_EQ(file.Open(path, ""), 1);
    while (!file.IsReady())
        std::this_thread::yield();
    EXPECT_TRUE(!file.IsDecoding() || file.GetDecodedCount() > CRvRecordFile::kReadySamples);
}

TEST_F(RecordFile, CommitWritesOnlyAChangedHeader)
{
    CSampleCall call;
    call.comment = "first";
    const std::string path = folder.Write("c.qor", call);
    const std::string before = ReadFileText(path);
    CRvRecordFile file;
    ASSERT_EQ(file.OpenAndWait(path, ""), 1);
    EXPECT_EQ(file.Commit(), 1);
    EXPECT_EQ(ReadFileText(path), before);

    file.SetComment("first");
    file.SetImportant(0);
    EXPECT_FALSE(file.IsDirty()) << "unchanged values do not count as changes";
    file.SetCallerId("<0123");
    file.SetImportant(1);
    EXPECT_TRUE(file.IsDirty());
    ASSERT_EQ(file.Commit(), 1);
    EXPECT_FALSE(file.IsDirty());
    const std::string after = ReadFileText(path);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(1440), before.substr(1440));
    CRvRecordFileHdr header;
    header.Load(path, "");
    EXPECT_EQ(header.CallerId(), "<0123");
    EXPECT_EQ(header.Important(), 1);

    CRvRecordFile closed;
    EXPECT_EQ(closed.Commit(), 0);
}

TEST_F(RecordFile, BookmarkChangesMarkTheRecordingOnce)
{
    const std::string path = folder.Write("b.qor", CSampleCall{});
    CRvRecordFile file;
    ASSERT_EQ(file.OpenAndWait(path, ""), 1);
    EXPECT_FALSE(file.SetBookmark(-1, -1)) << "no bookmark to remove";
    EXPECT_FALSE(file.IsDirty());
    EXPECT_TRUE(file.SetBookmark(2, 5));
    EXPECT_TRUE(file.IsDirty());
    ASSERT_EQ(file.Commit(), 1);
    EXPECT_TRUE(file.SetBookmark(2, 5));
    EXPECT_FALSE(file.IsDirty()) << "the same bookmark again changes nothing";
    EXPECT_FALSE(file.SetBookmark(5, 2));
    int start = 0, end = 0;
    ASSERT_TRUE(file.GetBookmark(start, end));
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 5);
}

TEST_F(RecordFile, CommitReportsAFileThatCannotBeWritten)
{
    const std::string path = folder.Write("r.qor", CSampleCall{});
    CRvRecordFile file;
    ASSERT_EQ(file.OpenAndWait(path, ""), 1);
    file.SetComment("lost?");
    chmod(folder.Path().c_str(), 0755);
    chmod(path.c_str(), 0444);
    EXPECT_EQ(test::RunUnprivileged([&] { return file.Commit(); }), 0);
    EXPECT_TRUE(file.IsDirty());

    fs::remove(path);
    EXPECT_EQ(file.Commit(), 0) << "a vanished recording is not recreated";
    EXPECT_TRUE(file.IsDirty());
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(RecordFile, GsmDecodingMatchesSox)
{
    if (std::system("command -v sox >/dev/null 2>&1") != 0)
        GTEST_FAIL() << "sox is missing; scripts/setup installs it";
    const auto sound = samplegen::MakeSpeechLikeSignal(8000 * 3, 7);
    const auto frames = samplegen::EncodeGsm(sound);
    const std::string gsmPath = folder.File("frames.gsm");
    WriteFileText(gsmPath, std::string(frames.begin(), frames.end()));
    const std::string pcmPath = folder.File("sox.raw");
    const std::string command = "sox -t gsm -r 8000 -c 1 '" + gsmPath + "' -t raw -e signed -b 16 -L '" + pcmPath + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string soxBytes = ReadFileText(pcmPath);

    WriteFileText(folder.File("g.qor"), PlainHeader(kCodecGsm) + std::string(frames.begin(), frames.end()));
    CRvRecordFile file;
    ASSERT_EQ(file.OpenAndWait(folder.File("g.qor"), ""), 1);
    const auto ours = AllSamples(file);
    ASSERT_EQ(soxBytes.size(), ours.size() * 2);
    std::vector<std::int16_t> theirs(ours.size());
    std::memcpy(theirs.data(), soxBytes.data(), soxBytes.size());
    EXPECT_EQ(ours, theirs);
}

TEST_F(RecordFile, AFileWhoseHeaderCouldNotBeReadIsNeverWritten)
{
    CSampleCall call;
    call.version = 5;
    call.passphrase = "demo";
    const std::string encrypted = folder.Write("locked.qor", call);
    WriteFileText(folder.File("wave.qor"), "RIFF" + std::string(2996, 'w'));
    WriteFileText(folder.File("zero.qor"), std::string(3000, '\0'));
    for (const std::string& path : { encrypted, folder.File("wave.qor"), folder.File("zero.qor") }) {
        const std::string before = ReadFileText(path);
        CRvRecordFile file;
        ASSERT_EQ(file.Open(path, "wrong"), 0) << path;
        file.SetComment("overwritten?");
        file.SetImportant(1);
        EXPECT_EQ(file.Commit(), 0) << path;
        CRvRecordFileHdr header;
        EXPECT_LE(header.Load(path, "wrong"), 0);
        header.SetComment("overwritten?");
        EXPECT_FALSE(header.Save(path)) << path;
        EXPECT_TRUE(header.Serialize().empty());
        EXPECT_EQ(ReadFileText(path), before) << path;
    }
    CRvRecordFile file;
    EXPECT_EQ(file.OpenAndWait(encrypted, "demo"), 1) << "still plays with the right passphrase";
}

TEST_F(RecordFile, AnEncryptedVersionOneHeaderIsWrittenBackEncrypted)
{
    CSampleCall call;
    call.version = 5;
    call.innerVersion = 1;
    call.passphrase = "demo";
    call.callerId = ">5550199";
    const std::string path = folder.Write("old.qor", call);
    const std::string before = ReadFileText(path);
    CRvRecordFile file;
    ASSERT_EQ(file.OpenAndWait(path, "demo"), 1);
    const auto sound = AllSamples(file);
    file.SetComment("Secret note");
    ASSERT_EQ(file.Commit(), 1);
    const std::string after = ReadFileText(path);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(CRvRecordFileHdr::kEnvelopeSize), before.substr(CRvRecordFileHdr::kEnvelopeSize));
    EXPECT_EQ(after.find("Secret note"), std::string::npos) << "the comment is never on disk in clear";
    EXPECT_EQ(after.find("5550199"), std::string::npos);
    CRvRecordFile reopened;
    ASSERT_EQ(reopened.OpenAndWait(path, "demo"), 1);
    EXPECT_EQ(reopened.GetComment(), "Secret note");
    EXPECT_EQ(AllSamples(reopened), sound);

    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::vector<std::uint8_t> headerOnly = CRvRecordFileHdr().HeaderOnly(descriptor, "demo");
    close(descriptor);
    WriteFileText(path, std::string(headerOnly.begin(), headerOnly.end()));
    const std::string stripped = ReadFileText(path);
    EXPECT_EQ(stripped.size(), CRvRecordFileHdr::kEnvelopeSize);
    EXPECT_EQ(stripped.find("5550199"), std::string::npos);
    CRvRecordFileHdr header;
    EXPECT_GT(header.Load(path, "demo"), 0);
    EXPECT_EQ(header.CallerId(), ">5550199");
}

TEST_F(RecordFile, OnlyRegularFilesAreOpenedAndNeverWaitedOn)
{
    const std::string fifo = folder.File("pipe.qor");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(folder.File("folder.qor"));
    for (const std::string& path : { fifo, folder.File("folder.qor"), std::string("/dev/zero") }) {
        CRvRecordFile file;
        EXPECT_EQ(file.Open(path, ""), 0) << path;
        CRvRecordFileHdr header;
        EXPECT_EQ(header.Load(path, ""), 0) << path;
        EXPECT_FALSE(header.Save(path)) << path;
    }
}

TEST_F(RecordFile, ABodyTooLargeForTheMemoryAtHandFailsCleanly)
{
    if (!test::CanLimitMemory())
        GTEST_SKIP() << "the sanitizers reserve too much address space for a memory limit";
    const std::string path = folder.File("huge.qor");
    WriteFileText(path, PlainHeader(kCodecGsm));
    fs::resize_file(path, 330'000'000); // sparse: costs no disk
    EXPECT_EQ(test::RunWithMemoryLimit(200'000'000,
                  [&] {
                      CRvRecordFile file;
                      return file.Open(path, "") == 0 && file.GetSampleCount() == 0 ? 1 : 0;
                  }),
        1);
}

} // namespace
} // namespace qor

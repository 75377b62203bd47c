#include "recording/WavWriter.h"

#include "recording/GsmEncoder.h"
#include "samplegen/SampleRecording.h"
#include "samplegen/SpeechSignal.h"
#include "support/TestFolders.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gsm.h>
#include <gtest/gtest.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::ReadFileText;

std::uint32_t U32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes.at(offset + i))) << (8 * i);
    return value;
}

std::vector<std::int16_t> ToSamples(const std::string& bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(
            static_cast<std::uint8_t>(bytes[2 * i]) | static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
    return samples;
}

std::vector<std::int16_t> AllSamples(const CRvRecordFile& file)
{
    const auto samples = file.GetSamples(0, file.GetSampleCount());
    return { samples.begin(), samples.end() };
}

std::string RunCommand(const std::string& command)
{
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << command;
    return output;
}

long SoxSampleCount(const std::string& path)
{
    return std::atol(RunCommand("soxi -s '" + path + "'").c_str());
}

// libgsm's own reading of WAV blocks: each block is a 33-byte frame, then a 32-byte one.
std::vector<std::int16_t> DecodeWavBlocks(std::string blocks)
{
    gsm decoder = gsm_create();
    int on = 1;
    gsm_option(decoder, GSM_OPT_WAV49, &on);
    std::vector<std::int16_t> samples(blocks.size() / kGsmWavBlockBytes * kGsmWavBlockSamples);
    for (std::size_t block = 0; block < blocks.size() / kGsmWavBlockBytes; ++block) {
        auto* in = reinterpret_cast<gsm_byte*>(blocks.data() + block * kGsmWavBlockBytes);
        gsm_signal* out = samples.data() + block * kGsmWavBlockSamples;
        EXPECT_EQ(gsm_decode(decoder, in, out) | gsm_decode(decoder, in + 33, out + kGsmFrameSamples), 0);
    }
    gsm_destroy(decoder);
    return samples;
}

// 1 for a lossy copy that keeps the original's shape, about 0 for unrelated sound.
double Correlation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

class WavWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v sox >/dev/null 2>&1") != 0)
            GTEST_FAIL() << "sox is missing; scripts/setup installs it";
    }

    std::string WriteCall(std::int32_t codec, std::int32_t seconds)
    {
        samplegen::CSampleCall call;
        call.codecTag = codec;
        call.durationSeconds = seconds;
        const std::string path = folder.File("call.qor");
        EXPECT_TRUE(samplegen::WriteRecording(path, call));
        return path;
    }

    test::CTempFolder folder;
    std::string wavPath = folder.File("call.wav");
};

TEST_F(WavWriter, PcmFileOfATenSecondCall)
{
    CRvRecordFile call;
    ASSERT_EQ(call.OpenAndWait(WriteCall(kCodecMuLaw, 10), ""), 1);
    test::WriteFileText(wavPath, std::string(400'000, 'x')); // a longer file is replaced, not overwritten
    ASSERT_TRUE(WriteWav(wavPath, call, true));

    const std::string bytes = ReadFileText(wavPath);
    ASSERT_EQ(bytes.size(), 160'044u);
    // RIFF size, PCM mono, 8000 samples/s, 16000 bytes/s, 2-byte blocks of 16 bits, data size.
    EXPECT_EQ(bytes.substr(0, 44),
        std::string("RIFF\x24\x71\x02\x00WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0"
                    "data\x00\x71\x02\x00",
            44));
    EXPECT_EQ(ToSamples(bytes.substr(44)), AllSamples(call));
    EXPECT_EQ(SoxSampleCount(wavPath), 80'000);
}

TEST_F(WavWriter, GsmFileOfATenSecondCall)
{
    ASSERT_TRUE(IsGsmCodecAvailable());
    CRvRecordFile call;
    ASSERT_EQ(call.OpenAndWait(WriteCall(kCodecGsm, 10), ""), 1);
    ASSERT_TRUE(WriteWav(wavPath, call, false));

    const std::string bytes = ReadFileText(wavPath);
    ASSERT_EQ(bytes.size(), 60u + 16'250u);
    EXPECT_EQ(U32(bytes, 4), 16'250u + 52u);
    // fmt: GSM 6.10 mono, 8000 samples/s, 1625 bytes/s, 65-byte blocks, no bits, 2 extra bytes: 320.
    EXPECT_EQ(bytes.substr(12, 28),
        std::string("fmt \x14\0\0\0\x31\0\x01\0\x40\x1f\0\0\x59\x06\0\0\x41\0\0\0\x02\0\x40\x01", 28));
    EXPECT_EQ(bytes.substr(40, 8), std::string("fact\x04\0\0\0", 8));
    EXPECT_EQ(U32(bytes, 48), 80'000u);
    EXPECT_EQ(bytes.substr(52, 4), "data");
    EXPECT_EQ(U32(bytes, 56), 16'250u);
    EXPECT_EQ(SoxSampleCount(wavPath), 80'000);

    // sox and libgsm must hear the same sound in our blocks, and it must be the call's.
    const std::string raw = folder.File("sox.raw");
    RunCommand("sox '" + wavPath + "' -t raw -e signed -b 16 -L '" + raw + "'");
    const std::vector<std::int16_t> soxSamples = ToSamples(ReadFileText(raw));
    ASSERT_EQ(soxSamples.size(), 80'000u);
    EXPECT_EQ(soxSamples, DecodeWavBlocks(bytes.substr(60)));
    EXPECT_GT(Correlation(soxSamples, AllSamples(call)), 0.8);
}

TEST_F(WavWriter, APartialLastGsmBlockIsPaddedAndTheTrueLengthKept)
{
    const std::vector<std::int16_t> sound = samplegen::MakeSpeechLikeSignal(1000, 3);
    const std::optional<std::vector<std::uint8_t>> wav = MakeGsmWav(sound);
    ASSERT_TRUE(wav);
    const std::string bytes(wav->begin(), wav->end());
    ASSERT_EQ(bytes.size(), 60u + 4 * 65u);
    EXPECT_EQ(U32(bytes, 48), 1000u);
    EXPECT_GT(Correlation(DecodeWavBlocks(bytes.substr(60)), sound), 0.8);
}

TEST_F(WavWriter, WaitsForTheDecoderToWriteTheWholeCall)
{
    // Ten minutes of GSM take long enough to decode that the file is asked for mid-way.
    const std::string source = WriteCall(kCodecGsm, 600);
    CRvRecordFile reference, decoding;
    ASSERT_EQ(reference.OpenAndWait(source, ""), 1);
    ASSERT_EQ(decoding.Open(source, ""), 1);
    ASSERT_TRUE(WriteWav(wavPath, decoding, true));
    EXPECT_EQ(ToSamples(ReadFileText(wavPath).substr(44)), AllSamples(reference));
}

TEST_F(WavWriter, FailuresLeaveNoFile)
{
    CRvRecordFile call;
    ASSERT_EQ(call.OpenAndWait(WriteCall(kCodecALaw, 1), ""), 1);
    EXPECT_FALSE(WriteWav(folder.File("missing/call.wav"), call, false));
    EXPECT_FALSE(fs::exists(folder.File("missing")));

    fs::create_directory(wavPath);
    EXPECT_FALSE(WriteWav(wavPath, call, true)) << "a folder in the way";
    EXPECT_TRUE(fs::is_directory(wavPath));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 2)
        << "no temporary file is left behind";

    CRvRecordFile closed;
    EXPECT_FALSE(WriteWav(folder.File("nothing.wav"), closed, true));
    EXPECT_FALSE(fs::exists(folder.File("nothing.wav")));
}

} // namespace
} // namespace qor

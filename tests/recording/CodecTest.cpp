#include "recording/G711.h"
#include "recording/ImaAdpcm.h"
#include "samplegen/AudioEncoders.h"
#include "samplegen/SpeechSignal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <gsm.h>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <span>
#include <vector>

namespace qor {
namespace {

using samplegen::EncodeALaw;
using samplegen::EncodeGsm;
using samplegen::EncodeImaAdpcm;
using samplegen::EncodeMuLaw;
using samplegen::MakeSpeechLikeSignal;

std::vector<std::int16_t> AllSampleValues()
{
    std::vector<std::int16_t> values;
    for (int value = std::numeric_limits<std::int16_t>::min(); value <= std::numeric_limits<std::int16_t>::max();
         ++value)
        values.push_back(static_cast<std::int16_t>(value));
    return values;
}

// The smallest distance from value to any code's decoded value.
int NearestDistance(int value, std::int16_t (*decode)(std::uint8_t))
{
    int best = std::numeric_limits<int>::max();
    for (int code = 0; code < 256; ++code)
        best = std::min(best, std::abs(decode(static_cast<std::uint8_t>(code)) - value));
    return best;
}

double SignalToNoiseDb(std::span<const std::int16_t> reference, std::span<const std::int16_t> decoded)
{
    double signal = 0.0;
    double noise = 0.0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        const double error = static_cast<double>(decoded[i]) - reference[i];
        signal += static_cast<double>(reference[i]) * reference[i];
        noise += error * error;
    }
    return 10.0 * std::log10(signal / noise);
}

std::vector<std::int16_t> DecodeImaAdpcm(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / kImaAdpcmBlockBytes * kImaAdpcmBlockSamples);
    for (std::size_t block = 0; block < bytes.size() / kImaAdpcmBlockBytes; ++block)
        DecodeImaAdpcmBlock(bytes.data() + block * kImaAdpcmBlockBytes, samples.data() + block * kImaAdpcmBlockSamples);
    return samples;
}

using CBlock = std::array<std::uint8_t, kImaAdpcmBlockBytes>;

CBlock MakeBlock(std::int16_t predictor, std::uint8_t index, std::uint8_t fill)
{
    CBlock block;
    block.fill(fill);
    block[0] = static_cast<std::uint8_t>(predictor & 0xFF);
    block[1] = static_cast<std::uint8_t>((predictor >> 8) & 0xFF);
    block[2] = index;
    block[3] = 0xEE; // not part of the format; must not change the result
    return block;
}

// One slot more than a block decodes to, holding a marker that must survive.
std::vector<std::int16_t> DecodeBlock(const CBlock& block)
{
    std::vector<std::int16_t> out(kImaAdpcmBlockSamples + 1, 12345);
    DecodeImaAdpcmBlock(block.data(), out.data());
    EXPECT_EQ(out.back(), 12345) << "wrote past the block's samples";
    out.pop_back();
    return out;
}

TEST(ALaw, DecodesTheStandardCurve)
{
    EXPECT_EQ(DecodeALaw(0x00), -5504);
    EXPECT_EQ(DecodeALaw(0x01), -5248);
    EXPECT_EQ(DecodeALaw(0x55), -8);
    EXPECT_EQ(DecodeALaw(0xD5), 8);
    EXPECT_EQ(DecodeALaw(0x80), 5504);
    EXPECT_EQ(DecodeALaw(0xAA), 32256);
    EXPECT_EQ(DecodeALaw(0x2A), -32256);
}

TEST(ALaw, EveryCodeSurvivesARoundTripAndEverySampleLandsInItsSegmentStep)
{
    for (int code = 0; code < 256; ++code) {
        const std::int16_t value = DecodeALaw(static_cast<std::uint8_t>(code));
        EXPECT_EQ(EncodeALaw(std::span(&value, 1))[0], code);
    }
    // A-law reconstructs the middle of the step a sample falls in, so the error is at most half a
    // step of the code's segment (16 in the two lowest segments, doubling with each one above),
    // and a louder sample never gets a quieter code.
    const std::vector<std::int16_t> values = AllSampleValues();
    const std::vector<std::uint8_t> codes = EncodeALaw(values);
    ASSERT_EQ(codes.size(), values.size());
    int previous = std::numeric_limits<int>::min();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int decoded = DecodeALaw(codes[i]);
        const int segment = ((codes[i] ^ 0x55) >> 4) & 0x07;
        const int halfStep = segment < 2 ? 8 : 8 << (segment - 1);
        ASSERT_LE(std::abs(decoded - values[i]), halfStep) << "sample " << values[i];
        ASSERT_GE(decoded, previous) << "sample " << values[i];
        previous = decoded;
    }
}

TEST(MuLaw, DecodesTheProgramsOwnCurve)
{
    EXPECT_EQ(DecodeMuLaw(0x00), -32256);
    EXPECT_EQ(DecodeMuLaw(0x7F), 0);
    EXPECT_EQ(DecodeMuLaw(0x80), 32256);
    EXPECT_EQ(DecodeMuLaw(0xFF), 0);
    EXPECT_EQ(DecodeMuLaw(0x8F), 16833);
    EXPECT_EQ(DecodeMuLaw(0xCF), 927);
    EXPECT_EQ(DecodeMuLaw(0xEF), 132);
    for (int code = 0; code < 128; ++code)
        EXPECT_EQ(DecodeMuLaw(static_cast<std::uint8_t>(code)), -DecodeMuLaw(static_cast<std::uint8_t>(code + 128)));
    for (int code = 129; code < 256; ++code)
        EXPECT_LT(DecodeMuLaw(static_cast<std::uint8_t>(code)), DecodeMuLaw(static_cast<std::uint8_t>(code - 1)));
}

TEST(MuLaw, EncoderPicksTheNearestValueOfTheCurve)
{
    for (int code = 0; code < 256; ++code) {
        const std::int16_t value = DecodeMuLaw(static_cast<std::uint8_t>(code));
        EXPECT_EQ(DecodeMuLaw(EncodeMuLaw(std::span(&value, 1))[0]), value) << "code " << code;
    }
    const std::vector<std::int16_t> values = AllSampleValues();
    const std::vector<std::uint8_t> codes = EncodeMuLaw(values);
    ASSERT_EQ(codes.size(), values.size());
    for (std::size_t i = 0; i < values.size(); i += 7) {
        const int error = std::abs(DecodeMuLaw(codes[i]) - values[i]);
        ASSERT_EQ(error, NearestDistance(values[i], DecodeMuLaw)) << "sample " << values[i];
    }
    EXPECT_EQ(codes.front(), 0x00) << "-32768 lies beyond the curve's end";
    EXPECT_EQ(codes.back(), 0x80);
}

TEST(ImaAdpcm, DecodesLowNibbleFirstWithTheStepBeforeEachCodeFromASignedHead)
{
    // Codes 4, 7, 8, then zeros: by hand from predictor 1000 and step index 0 (step 7).
    CBlock block = MakeBlock(1000, 0, 0x00);
    block[4] = 0x74;
    block[5] = 0x08;
    const std::vector<std::int16_t> out = DecodeBlock(block);
    const std::vector<std::int16_t> expected
        = { 1007, 1023, 1021, 1023, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032 };
    EXPECT_EQ(std::vector(out.begin(), out.begin() + 12), expected) << "the head's predictor is not a sample";
    EXPECT_TRUE(std::all_of(out.begin() + 12, out.end(), [](std::int16_t s) { return s == 1032; }));

    const std::vector<std::int16_t> negative = DecodeBlock(MakeBlock(-1000, 0, 0x00));
    EXPECT_TRUE(std::all_of(negative.begin(), negative.end(), [](std::int16_t s) { return s == -1000; }));
}

TEST(ImaAdpcm, PredictorAndStepIndexClampAtTheirLimits)
{
    const std::vector<std::int16_t> up = DecodeBlock(MakeBlock(32000, 88, 0x77));
    EXPECT_TRUE(std::all_of(up.begin(), up.end(), [](std::int16_t s) { return s == 32767; }));
    const std::vector<std::int16_t> down = DecodeBlock(MakeBlock(-32000, 88, 0xFF));
    EXPECT_TRUE(std::all_of(down.begin(), down.end(), [](std::int16_t s) { return s == -32768; }));

    // Codes 7 then 0: the index goes 88 → 88 (not 96), so the second step is still 32767.
    CBlock block = MakeBlock(0, 88, 0x00);
    block[4] = 0x0F;
    EXPECT_EQ(DecodeBlock(block)[1], -32768 + (32767 >> 3));
}

TEST(ImaAdpcm, DamagedStepIndexIsClampedIntoTheTable)
{
    EXPECT_EQ(DecodeBlock(MakeBlock(0, 0x7F, 0x00))[0], 32767 >> 3) << "127 reads as the last step";
    EXPECT_EQ(DecodeBlock(MakeBlock(0, 0x80, 0x00))[0], 7 >> 3) << "-128 reads as the first step";
    EXPECT_EQ(DecodeBlock(MakeBlock(0, 0xFF, 0x01))[0], (7 >> 3) + (7 >> 2)) << "-1 reads as the first step";
}

TEST(ImaAdpcm, EncoderWritesBlocksTheDecoderFollows)
{
    EXPECT_TRUE(EncodeImaAdpcm({}).empty());
    EXPECT_EQ(EncodeImaAdpcm(std::vector<std::int16_t>(kImaAdpcmBlockSamples)).size(), kImaAdpcmBlockBytes);

    const std::vector<std::int16_t> speech = MakeSpeechLikeSignal(3 * 8000 + 17, 7);
    const std::vector<std::uint8_t> bytes = EncodeImaAdpcm(speech);
    const std::size_t blocks = (speech.size() + kImaAdpcmBlockSamples - 1) / kImaAdpcmBlockSamples;
    ASSERT_EQ(bytes.size(), blocks * kImaAdpcmBlockBytes);
    const std::vector<std::int16_t> decoded = DecodeImaAdpcm(bytes);
    for (std::size_t block = 0; block < blocks; ++block) {
        const std::uint8_t* head = bytes.data() + block * kImaAdpcmBlockBytes;
        EXPECT_EQ(head[3], 0);
        EXPECT_LE(head[2], 88);
        const auto predictor = static_cast<std::int16_t>(head[0] | (head[1] << 8));
        EXPECT_EQ(predictor, block == 0 ? 0 : decoded[block * kImaAdpcmBlockSamples - 1])
            << "block " << block << " does not carry on from the one before";
    }
    EXPECT_GT(SignalToNoiseDb(speech, std::span(decoded).first(speech.size())), 20.0);
    EXPECT_TRUE(std::all_of(decoded.begin() + speech.size(), decoded.end(), [](std::int16_t s) {
        return std::abs(s) < 600;
    })) << "the padding decays to silence";
}

TEST(Gsm, FramesDecodeWithLibgsmToTheSignal)
{
    EXPECT_TRUE(EncodeGsm({}).empty());
    const std::vector<std::int16_t> speech = MakeSpeechLikeSignal(8000 + 1, 3);
    const std::vector<std::uint8_t> bytes = EncodeGsm(speech);
    ASSERT_EQ(bytes.size(), 51u * 33u) << "the last sample takes a padded frame of its own";

    const std::unique_ptr<gsm_state, decltype(&gsm_destroy)> decoder(gsm_create(), &gsm_destroy);
    ASSERT_TRUE(decoder);
    std::vector<std::int16_t> decoded(51 * 160);
    for (std::size_t frame = 0; frame < 51; ++frame) {
        std::vector<std::uint8_t> copy(bytes.begin() + frame * 33, bytes.begin() + (frame + 1) * 33);
        EXPECT_EQ(copy[0] >> 4, 0xD) << "frame " << frame << " lacks the standard frame signature";
        ASSERT_EQ(gsm_decode(decoder.get(), copy.data(), decoded.data() + frame * 160), 0);
    }
    double product = 0.0;
    double inputEnergy = 0.0;
    double outputEnergy = 0.0;
    for (std::size_t i = 0; i < speech.size(); ++i) {
        product += static_cast<double>(speech[i]) * decoded[i];
        inputEnergy += static_cast<double>(speech[i]) * speech[i];
        outputEnergy += static_cast<double>(decoded[i]) * decoded[i];
    }
    EXPECT_GT(product / std::sqrt(inputEnergy * outputEnergy), 0.85);
}

TEST(SpeechSignal, NeverFallsSilentNorNearsClipping)
{
    for (std::uint32_t seed : { 1u, 2u, 99u, 123456u }) {
        const std::vector<std::int16_t> speech = MakeSpeechLikeSignal(20 * 8000, seed);
        ASSERT_EQ(speech.size(), 20u * 8000u);
        for (std::size_t start = 0; start + 160 <= speech.size(); start += 40) {
            double energy = 0.0;
            for (std::size_t i = start; i < start + 160; ++i)
                energy += static_cast<double>(speech[i]) * speech[i];
            ASSERT_GT(std::sqrt(energy / 160.0), 200.0) << "seed " << seed << ", sample " << start;
        }
        const auto [low, high] = std::minmax_element(speech.begin(), speech.end());
        EXPECT_GE(*low, -16000);
        EXPECT_LE(*high, 16000);
        EXPECT_GT(*high, 6000) << "too quiet to exercise the codecs";
    }
}

TEST(SpeechSignal, SeedDecidesTheSignal)
{
    EXPECT_TRUE(MakeSpeechLikeSignal(0, 1).empty());
    EXPECT_EQ(MakeSpeechLikeSignal(12345, 5).size(), 12345u);
    EXPECT_EQ(MakeSpeechLikeSignal(12345, 5), MakeSpeechLikeSignal(12345, 5));
    EXPECT_NE(MakeSpeechLikeSignal(12345, 5), MakeSpeechLikeSignal(12345, 6));
}

} // namespace
} // namespace qor

// The waveform summary against a scan of every sample: any stretch, any width.
#include "recording/WaveSummary.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace qor {
namespace {

CSampleRange Scanned(const std::vector<std::int16_t>& samples, std::size_t first, std::size_t count)
{
    if (first >= samples.size() || count == 0)
        return {};
    const auto begin = samples.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = samples.begin() + static_cast<std::ptrdiff_t>(std::min(samples.size(), first + count));
    return { *std::min_element(begin, end), *std::max_element(begin, end) };
}

bool operator==(CSampleRange a, CSampleRange b)
{
    return a.least == b.least && a.greatest == b.greatest;
}

TEST(WaveSummary, EveryStretchAndEveryColumnHasTheExtremesAScanFinds)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> sample(INT16_MIN, INT16_MAX);
    // Not a whole number of blocks, nor a power of two of them; quiet stretches between loud peaks.
    std::vector<std::int16_t> samples(100'003);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(i % 5000 < 50 ? sample(random) : sample(random) / 64);
    const CWaveSummary summary(samples);
    ASSERT_EQ(summary.SampleCount(), samples.size());

    std::uniform_int_distribution<std::size_t> position(0, samples.size() + 300);
    for (int round = 0; round < 4000; ++round) {
        const std::size_t first = position(random);
        const std::size_t count = round % 3 == 0 ? position(random) % 600 : position(random);
        ASSERT_TRUE(summary.Extremes(first, count) == Scanned(samples, first, count))
            << "first " << first << ", count " << count;
    }
    for (const std::size_t width : { 1u, 7u, 640u, 100'003u, 250'000u }) {
        const std::size_t first = 1234, count = samples.size() - first;
        const auto columns = summary.Columns(first, count, width);
        ASSERT_EQ(columns.size(), width);
        for (std::size_t column = 0; column < width; ++column) {
            const std::size_t from = first + column * count / width, to = first + (column + 1) * count / width;
            ASSERT_TRUE(columns[column] == Scanned(samples, from, std::max<std::size_t>(to - from, 1)))
                << "width " << width << ", column " << column;
        }
    }

    EXPECT_TRUE(CWaveSummary().Extremes(0, 10) == CSampleRange{});
    const std::vector<std::int16_t> one{ -5 };
    EXPECT_TRUE(CWaveSummary(one).Extremes(0, 1) == (CSampleRange{ -5, -5 }));
    EXPECT_TRUE(CWaveSummary(one).Columns(0, 1, 3).back() == (CSampleRange{ -5, -5 }));
}

} // namespace
} // namespace qor

#include "support/PlayedStretches.h"

#include <cstdlib>

namespace qor::test {
namespace {

constexpr int kSoundLevel = 64; // above the least the test calls ever hold, below any real sound

bool Same(std::int16_t a, std::int16_t b, int tolerance)
{
    return std::abs(static_cast<int>(a) - static_cast<int>(b)) <= tolerance;
}

// Where in the call the played window starting at at continues, or -1.
std::int64_t Place(std::span<const std::int16_t> played, std::int64_t at, std::span<const std::int16_t> call,
    int tolerance, std::int64_t window)
{
    const auto size = static_cast<std::int64_t>(call.size());
    for (std::int64_t start = 0; start + window <= size; ++start) {
        std::int64_t i = 0;
        while (i < window
            && Same(played[static_cast<std::size_t>(at + i)], call[static_cast<std::size_t>(start + i)], tolerance))
            ++i;
        if (i == window)
            return start;
    }
    return -1;
}

} // namespace

CPlayedSound LineUpPlayedSound(
    std::span<const std::int16_t> played, std::span<const std::int16_t> call, int tolerance, std::int64_t minimum)
{
    CPlayedSound result;
    const auto playedSize = static_cast<std::int64_t>(played.size());
    const auto callSize = static_cast<std::int64_t>(call.size());
    std::int64_t at = 0;
    while (at < playedSize) {
        if (std::abs(static_cast<int>(played[static_cast<std::size_t>(at)])) <= kSoundLevel) {
            ++at;
            continue;
        }
        const std::int64_t start = at + minimum <= playedSize ? Place(played, at, call, tolerance, minimum) : -1;
        if (start < 0) {
            ++result.strangeSamples;
            ++at;
            continue;
        }
        std::int64_t length = 0;
        while (at + length < playedSize && start + length < callSize
            && Same(played[static_cast<std::size_t>(at + length)], call[static_cast<std::size_t>(start + length)],
                tolerance))
            ++length;
        auto& stretches = result.stretches;
        if (!stretches.empty() && stretches.back().CallEnd() == start
            && stretches.back().playedAt + stretches.back().length == at)
            stretches.back().length += length;
        else
            stretches.push_back({ at, start, length });
        at += length;
    }
    return result;
}

} // namespace qor::test

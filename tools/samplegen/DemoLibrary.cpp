#include "samplegen/DemoLibrary.h"

#include "samplegen/SampleRecording.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>

namespace qor::samplegen {
namespace {

constexpr std::array<const char*, 5> kUsers = { "Alice", "Bruno", "Chandra", "Dmitri", "Esther" };
constexpr std::array<std::int32_t, 4> kCodecs = { kCodecGsm, kCodecMuLaw, kCodecALaw, kCodecImaAdpcm };
constexpr std::array<const char*, 6> kComments
    = { "", "", "Call back Monday", "Order 4471 confirmed", "Complaint about delivery", "Price quote sent" };

std::string FileName(const std::string& user, std::int32_t startTime)
{
    const auto seconds = static_cast<std::time_t>(startTime);
    std::tm broken{};
    gmtime_r(&seconds, &broken); // start times are local wall-clock times stored as if UTC
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &broken);
    return user + "-" + stamp + ".qor";
}

} // namespace

int WriteDemoLibrary(const std::string& folder, int callCount, const std::function<void(int done)>& progress)
{
    std::mt19937 random(20160129);
    constexpr std::int32_t kFirstDay = 1'451'606'400; // 2016-01-01
    int written = 0;
    for (int index = 0; index < callCount; ++index) {
        CSampleCall call;
        call.userId = kUsers[static_cast<std::size_t>(index) % kUsers.size()];
        const int month = index % 12;
        const auto day = static_cast<std::int32_t>(random() % 28);
        constexpr std::uint32_t kDayStart = 8 * 3600;
        constexpr std::uint32_t kWorkingDay = 10 * 3600;
        const auto secondOfDay = static_cast<std::int32_t>(kDayStart + random() % kWorkingDay);
        call.startTime = kFirstDay + (month * 30 + day) * 86'400 + secondOfDay;
        call.codecTag = kCodecs[static_cast<std::size_t>(index / 5) % kCodecs.size()];
        call.durationSeconds = 5 + static_cast<std::int32_t>(random() % 85);
        const bool incoming = index % 3 != 0;
        call.callerId = std::string(incoming ? ">" : "<") + "0" + std::to_string(20'000'000 + random() % 79'999'999);
        call.comment = kComments[random() % kComments.size()];
        call.important = index % 7 == 0;
        if (index % 11 == 0 && call.durationSeconds > 20) {
            call.bookmarkStart = 5;
            call.bookmarkEnd = 15;
        }
        if (index % 10 == 9) {
            call.version = 5;
            call.passphrase = kDemoPassphrase;
            call.keyType = index % 3;
        }
        call.seed = static_cast<std::uint32_t>(index + 1);

        const std::filesystem::path userFolder = std::filesystem::path(folder) / call.userId;
        std::error_code error;
        std::filesystem::create_directories(userFolder, error);
        if (WriteRecording((userFolder / FileName(call.userId, call.startTime)).string(), call))
            ++written;
        if (progress)
            progress(index + 1);
    }
    return written;
}

} // namespace qor::samplegen

#include "support/RecordingFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qor::test {

std::string CRecordingFolder::Write(const std::string& relative, const samplegen::CSampleCall& call) const
{
    const std::string path = File(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(samplegen::WriteRecording(path, call)) << path;
    return path;
}

std::string CRecordingFolder::WriteSound(const std::string& relative, std::span<const std::int16_t> sound) const
{
    samplegen::CSampleCall call;
    call.codecTag = kCodecALaw;
    call.durationSeconds = static_cast<std::int32_t>(sound.size() / 8000);
    const std::string path = File(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(samplegen::WriteRecordingOf(path, call, sound)) << path;
    return path;
}

} // namespace qor::test

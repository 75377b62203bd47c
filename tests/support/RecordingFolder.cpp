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

} // namespace qor::test

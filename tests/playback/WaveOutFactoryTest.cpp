#include "platform/WaveOutFactory.h"

#include "foundation/Logger.h"
#include "platform/QtWaveOut.h"
#include "platform/VirtualWaveOut.h"
#include "support/TestFolders.h"

#include <QMediaDevices>
#include <cstdlib>
#include <gtest/gtest.h>

namespace qor {
namespace {

class WaveOutFactory : public ::testing::Test {
protected:
    ~WaveOutFactory() override { unsetenv("QOR_AUDIO"); }

    test::CDataFolderSandbox sandbox;
};

TEST_F(WaveOutFactory, TheEnvironmentChoosesTheDevice)
{
    setenv("QOR_AUDIO", "virtual", 1);
    EXPECT_NE(dynamic_cast<CVirtualWaveOut*>(MakeWaveOut().get()), nullptr);
    setenv("QOR_AUDIO", "qt", 1);
    EXPECT_NE(dynamic_cast<CQtWaveOut*>(MakeWaveOut().get()), nullptr);
}

TEST_F(WaveOutFactory, WithoutASoundServerTheVirtualDeviceIsUsedAndLogged)
{
    unsetenv("QOR_AUDIO");
    if (!QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "a sound server answers here";
    EXPECT_NE(dynamic_cast<CVirtualWaveOut*>(MakeWaveOut().get()), nullptr);
    const std::string log = test::ReadFileText(Singleton<CRvLogger>::Instance()->CurrentFile());
    EXPECT_NE(log.find("Audio: no sound server answers"), std::string::npos);
}

} // namespace
} // namespace qor

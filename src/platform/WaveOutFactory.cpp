#include "platform/WaveOutFactory.h"

#include "foundation/Logger.h"
#include "platform/QtWaveOut.h"
#include "platform/VirtualWaveOut.h"

#include <QMediaDevices>
#include <cstdlib>
#include <string>

namespace qor {

std::unique_ptr<IWaveOut> MakeWaveOut()
{
    const char* choice = std::getenv("QOR_AUDIO");
    const std::string chosen = choice ? choice : "";
    if (chosen == "virtual")
        return std::make_unique<CVirtualWaveOut>();
    if (chosen == "qt" || !QMediaDevices::audioOutputs().isEmpty())
        return std::make_unique<CQtWaveOut>();
    Singleton<CRvLogger>::Instance()->WriteLine(
        "Audio: no sound server answers; calls play on the silent virtual device");
    return std::make_unique<CVirtualWaveOut>();
}

} // namespace qor

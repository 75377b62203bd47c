// The one place that picks the sound device: QOR_AUDIO=qt or QOR_AUDIO=virtual chooses; by
// default the real device when a sound server answers, else the silent virtual one (logged).
#pragma once

#include "playback/WaveOut.h"

#include <memory>

namespace qor {

std::unique_ptr<IWaveOut> MakeWaveOut();

} // namespace qor

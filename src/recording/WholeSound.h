// Exports need every sample of a call, while an open recording may still be decoding for playback.
// This waits for that decoder instead of writing the silence of parts not yet decoded.
#pragma once

#include "recording/RecordFile.h"

namespace qor {

// Waits until the recording is decoded to its end; false when nothing is decoded or its decoder
// was stopped part-way, so the sound is incomplete.
bool WaitForWholeSound(CRvRecordFile& recording);

} // namespace qor

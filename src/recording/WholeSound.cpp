#include "recording/WholeSound.h"

namespace qor {

bool WaitForWholeSound(CRvRecordFile& recording)
{
    recording.WaitForDecoding();
    return recording.GetSampleCount() > 0 && recording.GetDecodedCount() == recording.GetSampleCount();
}

} // namespace qor

#include "recording/WholeSound.h"

namespace qor {

bool WaitForWholeSound(CRvRecordFile& recording)
{
    // Opening the same path again does not read it again: it joins the running decoder.
    if (recording.IsDecoding())
        recording.OpenAndWait(recording.GetPath(), recording.GetHeader().Passphrase());
    return recording.GetSampleCount() > 0 && recording.GetDecodedCount() == recording.GetSampleCount();
}

} // namespace qor

// The sound-output device as the playback engine sees it: a queue of buffers played in order, a
// done notice for each finished buffer, and a count of the bytes played since the device was
// opened. Always 8000 samples per second, 16-bit, mono. Backends live in the platform layer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qor {

// One queued buffer. The samples belong to whoever queued it; the device only reads them.
struct CWaveHeader {
    const std::int16_t* data = nullptr;
    std::size_t bytes = 0;
    int userData = 0;
    bool prepared = false;
};

// Receives one call per finished buffer, in order, on the user-interface thread, always after the
// call that queued the buffer has returned.
class IWaveOutListener {
public:
    virtual ~IWaveOutListener() = default;
    virtual void OnBufferDone() = 0;
};

class IWaveOut {
public:
    enum Result : int {
        kOk = 0,
        kError = 1,
        kDeviceBusy = 4,
        kNoDevice = 6,
        kStillPlaying = 33, // the buffer is still queued and cannot be given back yet
    };

    static constexpr int kSampleRate = 8000;
    static constexpr int kBytesPerSecond = 16000;

    virtual ~IWaveOut() = default;
    virtual int Open(IWaveOutListener* listener) = 0;
    virtual bool IsOpen() const = 0;
    virtual int Prepare(CWaveHeader& header) = 0;
    virtual int Write(CWaveHeader& header) = 0;
    // Fails with kStillPlaying while the buffer is queued.
    virtual int Unprepare(CWaveHeader& header) = 0;
    // Bytes played since Open.
    virtual int GetPosition(std::uint64_t& bytes) = 0;
    // Gives every queued buffer back at once, each with its done notice.
    virtual int Reset() = 0;
    virtual int Close() = 0;
};

} // namespace qor

// Records what a PulseAudio sink plays, through its monitor, with the server's own recorder
// (parec), so tests can compare the sound that really reached the sink with the call.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qor::test {

class CSinkCapture {
public:
    // Starts recording the sink's monitor as 8000 Hz, mono, 16-bit into a file in folder, and
    // returns once the first sound (silence included) has arrived; Started() tells whether it did.
    CSinkCapture(const std::string& sink, const std::string& folder);
    ~CSinkCapture();
    CSinkCapture(const CSinkCapture&) = delete;
    CSinkCapture& operator=(const CSinkCapture&) = delete;

    bool Started() const { return m_started; }
    // Stops the recorder and returns every sample it received.
    std::vector<std::int16_t> Stop();

private:
    std::string m_path;
    pid_t m_recorder = -1;
    bool m_started = false;
};

} // namespace qor::test

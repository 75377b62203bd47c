// Plays speech faster or slower with its pitch kept: the call's samples go in, the same speech
// at another tempo comes out (SoundTouch's time stretching, at the calls' 8 kHz mono).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

namespace qor {

class CTempoStretcher {
public:
    // tempo 2.0 plays twice as fast.
    explicit CTempoStretcher(double tempo);
    ~CTempoStretcher();
    CTempoStretcher(const CTempoStretcher&) = delete;
    CTempoStretcher& operator=(const CTempoStretcher&) = delete;

    double Tempo() const { return m_tempo; }
    // Adds samples and appends to out whatever is ready.
    void Put(std::span<const std::int16_t> samples, std::vector<std::int16_t>& out);
    // Appends what is still held back; after the end of the sound.
    void Flush(std::vector<std::int16_t>& out);

private:
    void Take(std::vector<std::int16_t>& out);

    double m_tempo;
    std::unique_ptr<soundtouch::SoundTouch> m_engine;
    std::vector<float> m_floats;
};

} // namespace qor

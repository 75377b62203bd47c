#include "playback/TempoStretcher.h"

#include "playback/WaveOut.h"

#include <SoundTouch.h>
#include <algorithm>
#include <cmath>

namespace qor {

CTempoStretcher::CTempoStretcher(double tempo)
    : m_tempo(tempo)
    , m_engine(std::make_unique<soundtouch::SoundTouch>())
{
    m_engine->setSampleRate(IWaveOut::kSampleRate);
    m_engine->setChannels(1);
    m_engine->setTempo(tempo);
}

CTempoStretcher::~CTempoStretcher() = default;

void CTempoStretcher::Put(std::span<const std::int16_t> samples, std::vector<std::int16_t>& out)
{
    m_floats.resize(samples.size());
    std::transform(samples.begin(), samples.end(), m_floats.begin(),
        [](std::int16_t sample) { return static_cast<float>(sample) / 32768.0F; });
    m_engine->putSamples(m_floats.data(), static_cast<unsigned>(m_floats.size()));
    Take(out);
}

void CTempoStretcher::Flush(std::vector<std::int16_t>& out)
{
    m_engine->flush();
    Take(out);
}

void CTempoStretcher::Take(std::vector<std::int16_t>& out)
{
    const unsigned ready = m_engine->numSamples();
    if (ready == 0)
        return;
    m_floats.resize(ready);
    const unsigned taken = m_engine->receiveSamples(m_floats.data(), ready);
    out.reserve(out.size() + taken);
    for (unsigned i = 0; i < taken; ++i)
        out.push_back(static_cast<std::int16_t>(std::clamp(std::lround(m_floats[i] * 32768.0F), -32768L, 32767L)));
}

} // namespace qor

#include "samplegen/SpeechSignal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <utility>

namespace qor::samplegen {
namespace {

constexpr double kSampleRate = 8000.0;
constexpr double kVoicedPeak = 12000.0; // the harmonic sum is scaled so it never exceeds this
// Spreads of the noise at the top of a fricative and in a pause between syllables.
constexpr double kHissLevel = 1400.0;
constexpr double kDipLevel = 400.0;
constexpr double kEnvelopeFloor = 0.35; // keeps syllable edges audible, so nothing is ever silent
constexpr std::size_t kSpectrumInterval = 40; // the harmonics' weights follow the glides every 5 ms
constexpr std::size_t kMaxHarmonics = 40;

// The standard library's distributions differ between implementations; these draw straight from
// the engine so a seed means the same signal everywhere.
class CRandom {
public:
    explicit CRandom(std::uint32_t seed)
        : m_engine(seed)
    {
    }

    double Uniform(double low, double high)
    {
        return low + (high - low) * (static_cast<double>(m_engine()) / 4294967296.0);
    }

    // Roughly normal with unit spread, but bounded to ±3.5 so peaks stay predictable.
    double Noise()
    {
        double sum = 0.0;
        for (int i = 0; i < 4; ++i)
            sum += Uniform(-0.5, 0.5);
        return sum * std::numbers::sqrt3;
    }

private:
    std::mt19937 m_engine;
};

struct CFormants {
    std::array<double, 3> frequency;
};

CFormants RandomVowel(CRandom& random)
{
    return { { random.Uniform(300.0, 850.0), random.Uniform(900.0, 2300.0), random.Uniform(2400.0, 3200.0) } };
}

// The weight of a harmonic at this frequency: three resonance peaks over a small floor, so the
// partials between the formants do not vanish, falling off steeply above 300 Hz like a real voice
// on the phone. A flat spectrum would be far harsher than speech and unfair to ADPCM.
double SpectralWeight(double frequency, const CFormants& formants)
{
    static constexpr std::array<double, 3> kGain = { 1.0, 0.6, 0.3 };
    static constexpr std::array<double, 3> kBandwidth = { 90.0, 120.0, 180.0 };
    double weight = 0.03;
    for (std::size_t i = 0; i < 3; ++i) {
        const double offset = (frequency - formants.frequency[i]) / kBandwidth[i];
        weight += kGain[i] / (1.0 + offset * offset);
    }
    const double tilt = frequency / 300.0;
    return weight / (1.0 + tilt * tilt);
}

// A vowel: a fundamental gliding from one pitch to another, its harmonics shaped by formants that
// move from one vowel towards the next.
struct CSyllable {
    std::size_t length = 0;
    double gain = 1.0;
    double pitchFrom = 0.0;
    double pitchTo = 0.0;
    CFormants from{};
    CFormants to{};
};

// A rise to full level and a fall back to the floor, over the whole segment.
double Envelope(std::size_t position, std::size_t length)
{
    const double shape
        = std::sin(std::numbers::pi * (static_cast<double>(position) + 0.5) / static_cast<double>(length));
    return kEnvelopeFloor + (1.0 - kEnvelopeFloor) * shape;
}

class CSpeechWriter {
public:
    CSpeechWriter(std::size_t sampleCount, CRandom& random)
        : m_limit(sampleCount)
        , m_random(random)
    {
        m_out.reserve(sampleCount);
    }

    bool Full() const { return m_out.size() == m_limit; }

    std::vector<std::int16_t> Take() { return std::move(m_out); }

    void Voiced(const CSyllable& syllable)
    {
        const std::size_t length = syllable.length;
        const std::size_t count = Room(length);
        std::array<double, kMaxHarmonics> weights{};
        std::size_t harmonics = 0;
        for (std::size_t n = 0; n < count; ++n) {
            const double progress = static_cast<double>(n) / static_cast<double>(length);
            const double pitch = syllable.pitchFrom + (syllable.pitchTo - syllable.pitchFrom) * progress;
            if (n % kSpectrumInterval == 0)
                harmonics = Weigh(pitch, Blend(syllable.from, syllable.to, progress), weights);
            m_phase = std::fmod(m_phase + 2.0 * std::numbers::pi * pitch / kSampleRate, 2.0 * std::numbers::pi);
            // sin(k·phase) by the Chebyshev recurrence: one sine and cosine a sample for all partials.
            const double twoCos = 2.0 * std::cos(m_phase);
            double previous = 0.0;
            double current = std::sin(m_phase);
            double sum = 0.0;
            for (std::size_t k = 0; k < harmonics; ++k) {
                sum += weights[k] * current;
                const double next = twoCos * current - previous;
                previous = current;
                current = next;
            }
            Put(kVoicedPeak * syllable.gain * Envelope(n, length) * sum);
        }
    }

    // A fricative: noise with its lows thinned out, under the same kind of envelope.
    void Hiss(std::size_t length)
    {
        const std::size_t count = Room(length);
        double previous = 0.0;
        for (std::size_t n = 0; n < count; ++n) {
            const double noise = m_random.Noise();
            Put(kHissLevel * Envelope(n, length) * (noise - 0.5 * previous) / std::sqrt(1.25));
            previous = noise;
        }
    }

    // The pause between syllables: low breath noise rather than digital silence.
    void Dip(std::size_t length)
    {
        const std::size_t count = Room(length);
        for (std::size_t n = 0; n < count; ++n)
            Put(kDipLevel * m_random.Noise());
    }

private:
    void Put(double value) { m_out.push_back(static_cast<std::int16_t>(std::lround(value))); }

    std::size_t Room(std::size_t length) const { return std::min(length, m_limit - m_out.size()); }

    static CFormants Blend(const CFormants& from, const CFormants& to, double progress)
    {
        CFormants blended{};
        for (std::size_t i = 0; i < 3; ++i)
            blended.frequency[i] = from.frequency[i] + (to.frequency[i] - from.frequency[i]) * progress;
        return blended;
    }

    // Weights normalised to a sum of one, so the harmonic sum stays within ±1.
    static std::size_t Weigh(double pitch, const CFormants& formants, std::array<double, kMaxHarmonics>& weights)
    {
        std::size_t count = 0;
        double total = 0.0;
        while (count < kMaxHarmonics && pitch * static_cast<double>(count + 1) < 3400.0) {
            weights[count] = SpectralWeight(pitch * static_cast<double>(count + 1), formants);
            total += weights[count++];
        }
        for (std::size_t k = 0; k < count; ++k)
            weights[k] /= total;
        return count;
    }

    std::vector<std::int16_t> m_out;
    std::size_t m_limit;
    CRandom& m_random;
    double m_phase = 0.0;
};

std::size_t Milliseconds(CRandom& random, double low, double high)
{
    return static_cast<std::size_t>(random.Uniform(low, high) * kSampleRate / 1000.0);
}

} // namespace

std::vector<std::int16_t> MakeSpeechLikeSignal(std::size_t sampleCount, std::uint32_t seed)
{
    CRandom random(seed);
    CSpeechWriter writer(sampleCount, random);
    const double voicePitch = random.Uniform(100.0, 200.0);
    CFormants vowel = RandomVowel(random);
    while (!writer.Full()) {
        if (random.Uniform(0.0, 1.0) < 0.3)
            writer.Hiss(Milliseconds(random, 40.0, 110.0));
        CSyllable syllable;
        syllable.length = Milliseconds(random, 120.0, 320.0);
        syllable.gain = random.Uniform(0.7, 1.0);
        syllable.pitchFrom = std::clamp(voicePitch * random.Uniform(0.85, 1.2), 90.0, 250.0);
        syllable.pitchTo = std::clamp(syllable.pitchFrom * random.Uniform(0.8, 1.15), 90.0, 250.0);
        syllable.from = vowel;
        syllable.to = RandomVowel(random);
        writer.Voiced(syllable);
        vowel = syllable.to;
        writer.Dip(Milliseconds(random, 15.0, 60.0));
    }
    return writer.Take();
}

} // namespace qor::samplegen

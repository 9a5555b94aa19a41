#include "tools/bankgen/RoomTail.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

// Small deterministic random source (xorshift64*), so that the bank is the
// same on every machine and in every build.
class Random {
public:
    explicit Random(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}

    double uniform() // in [0, 1)
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return static_cast<double>((state * 0x2545F4914F6CDD1Dull) >> 11) * 0x1.0p-53;
    }

    double gaussian() // roughly normal, unit variance: four uniforms summed
    {
        double sum = 0.0;
        for (int i = 0; i < 4; ++i)
            sum += uniform() - 0.5;
        return sum * std::sqrt(3.0);
    }

private:
    std::uint64_t state; // generator state, never zero
};

constexpr double kOnset = 0.0015; // s, time over which the reflections build up to full density

} // namespace

RoomTail::RoomTail(const RoomDecay& roomShape, unsigned seed) : shape(roomShape)
{
    Random random(seed);
    const double spacing = kLength / kReflections;
    const double decay = std::log(1000.0) / shape.rt60; // amplitude falls 60 dB in rt60
    double energy = 0.0;
    arrivals.reserve(kReflections);
    for (int i = 0; i < kReflections; ++i) {
        const double age = (i + random.uniform()) * spacing;
        const double envelope = (1.0 - std::exp(-age / kOnset)) * std::exp(-decay * age);
        const double amplitude = random.gaussian() * envelope;
        arrivals.push_back({shape.predelay + age, amplitude});
        energy += amplitude * amplitude;
    }
    const double scale = 1.0 / std::sqrt(energy);
    for (Arrival& a : arrivals)
        a.amplitude *= scale;
}

std::vector<std::complex<double>> RoomTail::spectrum(double rate, int gridSize) const
{
    using Complex = std::complex<double>;
    const int half = gridSize / 2;
    const double binHz = rate / gridSize;
    std::vector<Complex> sum(half + 1, 0.0);
    // Each arrival contributes a·e^(−iωt); along the bins that is a geometric
    // series, stepped by one rotation per bin.
    for (const Arrival& a : arrivals) {
        const Complex step = std::polar(1.0, -2.0 * std::numbers::pi * binHz * a.time);
        Complex term = a.amplitude;
        for (int k = 0; k <= half; ++k) {
            sum[k] += term;
            term *= step;
        }
    }
    // Walls and air absorb the highs: a second-order damping.
    for (int k = 0; k <= half; ++k) {
        const Complex damping = 1.0 / Complex(1.0, k * binHz / shape.dampingHz);
        sum[k] *= damping * damping;
    }
    return sum;
}

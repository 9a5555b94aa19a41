#include "tools/bankgen/ResponseSynth.h"

#include "tools/bankgen/MinimumPhase.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <stdexcept>

namespace {

using Complex = std::complex<double>;

// Small deterministic noise source (xorshift64*), so that the bank is the
// same on every machine and in every build.
class NoiseSource {
public:
    explicit NoiseSource(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}

    // Roughly Gaussian, unit variance: the sum of four uniforms, rescaled.
    double next()
    {
        double sum = 0.0;
        for (int i = 0; i < 4; ++i)
            sum += uniform() - 0.5;
        return sum * std::sqrt(3.0);
    }

private:
    double uniform()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return static_cast<double>((state * 0x2545F4914F6CDD1Dull) >> 11) * 0x1.0p-53;
    }

    std::uint64_t state; // generator state, never zero
};

} // namespace

ResponseSynth::ResponseSynth(double sampleRate) : rate(sampleRate), fft(kGridSize) {}

std::vector<double> ResponseSynth::roomImpulse(const Placement& p) const
{
    const RoomDecay room = roomDecay(p);
    // One noise sequence per cabinet/microphone/axis: the six placements of a
    // set hear the same room, only louder or softer, so blends stay coherent.
    NoiseSource noise(static_cast<std::uint64_t>(p.cabinet * 100 + p.microphone * 10 + p.axis));
    std::vector<double> impulse(kGridSize / 2, 0.0);
    const double onset = 0.0015 * rate;                       // samples over which the room builds up
    const double decay = std::log(1000.0) / (room.rt60 * rate); // amplitude decay per sample (60 dB in rt60)
    const double damping = std::exp(-2.0 * std::numbers::pi * room.dampingHz / rate);
    const int start = static_cast<int>(std::lround(room.predelay * rate));
    double smoothed = 0.0;
    double energy = 0.0;
    for (int t = 0; t < static_cast<int>(impulse.size()); ++t) {
        smoothed = damping * smoothed + (1.0 - damping) * noise.next();
        if (t < start)
            continue;
        const double age = t - start;
        impulse[t] = smoothed * (1.0 - std::exp(-age / onset)) * std::exp(-decay * age);
        energy += impulse[t] * impulse[t];
    }
    const double scale = std::sqrt(std::pow(10.0, room.levelDb / 10.0) / energy);
    for (double& x : impulse)
        x *= scale;
    return impulse;
}

std::vector<double> ResponseSynth::build(const Placement& p, int length) const
{
    if (length <= kFadeLength || length > kGridSize / 4)
        throw std::invalid_argument("table length out of range");
    const int half = kGridSize / 2;

    // Direct sound: the model's magnitude made minimum phase.
    std::vector<double> magnitude(half + 1);
    for (int k = 0; k <= half; ++k)
        magnitude[k] = directMagnitude(p, k * rate / kGridSize);
    const double largest = *std::max_element(magnitude.begin(), magnitude.end());
    for (double& m : magnitude)
        m = std::max(m, largest * kMagnitudeFloor);
    std::vector<Complex> spectrum = minimumPhaseSpectrum(magnitude, fft);

    // Room decay as a filter applied to the direct sound.
    std::vector<Complex> room(kGridSize, 0.0);
    const std::vector<double> roomTime = roomImpulse(p);
    std::copy(roomTime.begin(), roomTime.end(), room.begin());
    fft.forward(room);

    // Direct sound × (1 + reflections + room), on the positive-frequency half;
    // the negative half follows by symmetry.
    const std::vector<Reflection> echoes = reflections(p);
    for (int k = 0; k <= half; ++k) {
        const double hz = k * rate / kGridSize;
        const double omega = 2.0 * std::numbers::pi * hz;
        Complex paths = 1.0 + room[k];
        for (const Reflection& echo : echoes) {
            const double x = hz / echo.lowpassHz;
            const Complex lowpass = 1.0 / Complex(1.0 - x * x, x * std::numbers::sqrt2);
            paths += echo.gain * lowpass * std::exp(Complex(0.0, -omega * echo.delay));
        }
        spectrum[k] *= paths;
        if (k == half)
            spectrum[k] = spectrum[k].real();
    }
    spectrum[0] = spectrum[0].real();
    for (int k = 1; k < half; ++k)
        spectrum[kGridSize - k] = std::conj(spectrum[k]);
    fft.inverse(spectrum);

    std::vector<double> table(length);
    for (int t = 0; t < length; ++t)
        table[t] = spectrum[t].real();

    // Close with a smooth fade so that the table ends without an edge.
    for (int i = 0; i < kFadeLength; ++i) {
        const double x = (i + 1.0) / kFadeLength;
        const double gain = kFadeFloor + (1.0 - kFadeFloor) * 0.5 * (1.0 + std::cos(std::numbers::pi * x));
        table[length - kFadeLength + i] *= gain;
    }

    int peakAt = 0;
    for (int t = 1; t < length; ++t)
        if (std::abs(table[t]) > std::abs(table[peakAt]))
            peakAt = t;
    if (peakAt >= kPeakWindow)
        throw std::runtime_error("response peak lies too late");
    const double scale = chainPolarity(p) * kPeakLevel / std::abs(table[peakAt]);
    for (double& x : table) {
        x *= scale;
        // The room decay is never silent; keep an exact zero from appearing.
        if (x == 0.0)
            x = 1e-300;
    }
    return table;
}

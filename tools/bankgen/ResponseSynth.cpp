#include "tools/bankgen/ResponseSynth.h"

#include "tools/bankgen/MinimumPhase.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>
#include <string>

namespace {
using Complex = std::complex<double>;
} // namespace

ResponseSynth::ResponseSynth(double sampleRate) : rate(sampleRate), fft(kGridSize)
{
    // One room per cabinet: every microphone and placement of a cabinet hears
    // the same room, only louder or softer, so blends of placements stay coherent.
    for (int cabinet = 1; cabinet <= kCabinetCount; ++cabinet) {
        const RoomTail tail(roomDecay({cabinet, 1, 1, 0.0, 0}), static_cast<unsigned>(cabinet));
        rooms.push_back(tail.spectrum(rate, kGridSize));
    }
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

    // Room decay, at this placement's level, as a filter applied to the direct sound.
    const std::vector<Complex>& room = rooms.at(p.cabinet - 1);
    const double roomGain = std::sqrt(std::pow(10.0, roomDecay(p).levelDb / 10.0));

    // Direct sound × (1 + reflections + room), on the positive-frequency half;
    // the negative half follows by symmetry.
    const std::vector<Reflection> echoes = reflections(p);
    for (int k = 0; k <= half; ++k) {
        const double hz = k * rate / kGridSize;
        const double omega = 2.0 * std::numbers::pi * hz;
        Complex paths = 1.0 + roomGain * room[k];
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
    // The chain is wired in phase: a minimum-phase response of a positive
    // gain starts with a positive main lobe. Inverting a table here would
    // make it cancel against its neighbours in the engine's blends, so a
    // negative lobe is a fault of the model, not something to fix up.
    if (table[peakAt] <= 0.0)
        throw std::runtime_error("response main lobe is negative: cabinet " + std::to_string(p.cabinet) +
                                 ", microphone " + std::to_string(p.microphone) + ", axis " +
                                 std::to_string(p.axis) + ", radial " + std::to_string(p.radial) +
                                 ", distance " + std::to_string(p.distance));
    const double scale = kPeakLevel / table[peakAt];
    for (double& x : table) {
        x *= scale;
        // The room decay is never silent; keep an exact zero from appearing.
        if (x == 0.0)
            x = 1e-300;
    }
    return table;
}

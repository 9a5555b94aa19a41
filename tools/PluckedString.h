#pragma once

// One plucked note on one guitar string, as a digital waveguide: the wave
// arriving at the bridge circulates in a delay line of one period, closed
// through a loss filter whose damping grows with frequency and a first-order
// allpass that tunes the fractional part of the period. The pluck lays the
// string's initial shape into the loop: a triangle with its corner at the
// picking point, rounded by the width of the pick, built from the string's
// modes so that it is band-limited. A magnetic pickup at a point along the
// string senses the string's velocity there: the loop output runs through the
// pickup's position comb and a differentiator.

#include <complex>
#include <cstdint>
#include <vector>

namespace demo {

// A small deterministic noise source (xorshift64*), so the demo recording is
// the same on every machine and every run.
class NoiseSource {
public:
    explicit NoiseSource(std::uint64_t seed) : state(seed ? seed : 0x9E3779B97F4A7C15ull) {}

    // Uniform in [-1, 1).
    double next()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        const std::uint64_t bits = (state * 0x2545F4914F6CDD1Dull) >> 11; // 53 random bits
        return static_cast<double>(bits) * (2.0 / 9007199254740992.0) - 1.0;
    }

private:
    std::uint64_t state; // never 0
};

// How a note is played. Positions are fractions of the vibrating length,
// measured from the bridge.
struct Pluck {
    double frequency = 110.0;         // fundamental, Hz
    double velocity = 0.8;            // 0..1; scales the amplitude, harder picks are also brighter
    double pickPosition = 0.17;       // where the pick displaces the string
    double pickWidth = 0.02;          // width over which the pick rounds the string's corner
    double pickupPosition = 0.24;     // centre of the pickup's magnetic window
    double decaySeconds = 5.0;        // 60 dB decay time of the fundamental when let ring
    double trebleDecaySeconds = 0.6;  // 60 dB decay time of a partial at kTrebleReferenceHz
    bool palmMuted = false;           // the picking hand rests on the strings at the bridge
};

// The frequency at which `Pluck::trebleDecaySeconds` is given.
constexpr double kTrebleReferenceHz = 2000.0;

class PluckedString {
public:
    explicit PluckedString(double sampleRate);

    // Starts the note: lays the picked shape into the loop and sets the losses.
    // `noise` adds the small irregularity of a real pick to the shape.
    void pluck(const Pluck& how, NoiseSource& noise);

    // A finger touches the string: within a few milliseconds the loop losses
    // become so strong that the note dies within about a tenth of a second.
    void damp();

    // The pickup signal of the next sample.
    double process();

    // True once the note has decayed below audibility (or was never plucked).
    bool finished() const { return !sounding; }

private:
    // Sets the loop loss filter (gain and pole) for the given 60 dB decay
    // times at the fundamental and at kTrebleReferenceHz.
    void setLosses(double decaySeconds, double trebleDecaySeconds);

    // The loop's free oscillation near the given harmonic of the fundamental
    // as exp(s t): s = log of its decay per sample + j * its frequency in radians per sample.
    std::complex<double> loopMode(int harmonic) const;

    // The string's displacement under the pickup at the current sample.
    double pickupDisplacement() const;

    double sampleRate;                // Hz
    double frequency = 110.0;         // fundamental of the current note, Hz
    double period = 400.0;            // one round trip of the string, samples (fractional)
    std::vector<double> loop;         // the wave arriving at the bridge over one round trip
    std::size_t loopLength = 0;       // samples of `loop` in use: the integer part of the period
    std::size_t loopIndex = 0;        // next read/write position in `loop`
    double lossGain = 0.99;           // loss filter gain at DC per round trip
    double lossPole = 0.0;            // loss filter pole (0 = frequency-independent loss)
    double targetLossGain = 0.99;     // where lossGain moves after damp()
    double lossGlide = 1.0;           // per-sample factor of that move, 1 = none
    double lossState = 0.0;           // loss filter output history
    double allpassCoefficient = 0.0;  // fractional-delay tuning allpass
    double allpassInput = 0.0;        // its previous input
    double allpassOutput = 0.0;       // its previous output
    std::vector<double> pickupLine;   // recent waves at the bridge for the pickup comb, a power of two long
    std::size_t pickupIndex = 0;      // next write position in `pickupLine`
    double pickupDelay = 1.0;         // comb span, samples (fractional): pickup position times the period
    double previousDisplacement = 0;  // string displacement at the pickup one sample ago
    double outputScale = 1.0;         // turns the per-sample velocity into the note's displacement scale
    double quietSamples = 0.0;        // consecutive samples below the audibility floor
    bool sounding = false;            // a note is in the loop
};

} // namespace demo

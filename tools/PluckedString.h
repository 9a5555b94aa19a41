#pragma once

// One plucked note on one guitar string: an extended Karplus-Strong loop (a
// delay line closed through a loss filter, tuned by a first-order allpass),
// excited by a burst of filtered noise shaped by the picking point and heard
// through the comb of a pickup placed along the string.

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

// How a note is played.
struct Pluck {
    double frequency = 110.0;    // fundamental, Hz
    double velocity = 0.8;       // 0..1; louder picks are also brighter
    double pickPosition = 0.13;  // picking point as a fraction of the string from the bridge
    double pickupPosition = 0.1; // pickup as a fraction of the string from the bridge
    double decaySeconds = 4.0;   // time for the fundamental to fall by 60 dB when let ring
    bool palmMuted = false;      // the picking hand rests on the strings at the bridge
};

class PluckedString {
public:
    explicit PluckedString(double sampleRate);

    // Starts the note: fills the loop with the shaped excitation.
    void pluck(const Pluck& how, NoiseSource& noise);

    // Lets the fretting hand lift: the note dies within a few tens of milliseconds.
    void damp();

    // The pickup signal of the next sample.
    double process();

    // True once the note has decayed below audibility (or was never plucked).
    bool finished() const { return !sounding; }

private:
    double sampleRate;               // Hz
    std::vector<double> loop;        // the string's round-trip delay line
    std::size_t loopLength = 0;      // integer part of the round trip, samples
    std::size_t writeIndex = 0;      // next write position in `loop`
    double lossGain = 0.99;          // loop gain per round trip at low frequencies
    double averagerWeight = 0.5;     // two-point averager weight of the previous sample (brightness)
    double averagerHistory = 0.0;    // the averager's previous input
    double dampingPole = 0.0;        // extra one-pole lowpass in the loop (palm mute), 0 = none
    double dampingState = 0.0;       // its output history
    double allpassCoefficient = 0.0; // fractional-delay tuning allpass
    double allpassInput = 0.0;       // its previous input
    double allpassOutput = 0.0;      // its previous output
    std::vector<double> pickupLine;  // recent string output for the pickup comb
    std::size_t pickupDelay = 1;     // comb delay, samples
    std::size_t pickupIndex = 0;     // next write position in `pickupLine`
    double releaseGain = 1.0;        // envelope after damp(), 1 while ringing
    double releaseFactor = 1.0;      // per-sample factor of that envelope
    double quietSamples = 0.0;       // consecutive samples below the audibility floor
    bool sounding = false;           // a note is in the loop
};

} // namespace demo

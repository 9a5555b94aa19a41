#pragma once

#include "dsp/CommonBase.h"
#include "effects/ChirpDownSampleFilter.h"
#include "effects/ChirpHP.h"
#include "effects/NoiseGenerator.h"

#include <cstdint>

// One spring of the reverb: a dispersion line. The input is high-passed,
// decimated by Kds (4 or 8) and run through a cascade of first-order allpass
// sections at the decimated rate, so that each section acts as a stretched
// allpass (a + z^-Kds) / (1 + a z^-Kds) at the full rate and a click comes
// out as a descending chirp. A modulated delay loop with two in-place echoes
// feeds the line's output back to its input.
//
// The delay loop plus the cascade's low-frequency group delay come to
// lineDelay * fs samples before modulation; the modulation wanders the loop
// between loopDelay and loopDelay + 2 * modDepth samples.
//
// Threads: every setter, setSampleRate() and reset() run while processing is
// stopped (the spring configures its lines at resume); process() and run()
// on the audio thread. The fields are public plain data for the owning
// spring, which writes feedback, modDepth and the echo gains directly.
class ChirpLowDS final : public CommonBase {
public:
    static constexpr int kRingSize = 16384;          // delay ring length, a power of two
    static constexpr int kRingMask = kRingSize - 1;
    static constexpr int kMaxStages = 55;            // allpass stage pairs the cascade can hold
    static constexpr int kMaxModDepth = 20;          // largest modulation depth the spring installs
    // The longest loop delay whose modulated, interpolated read stays inside
    // the ring (only rates above about 240 kHz reach it).
    static constexpr int kMaxLoopDelay = kRingSize - 2 * kMaxModDepth - 2;

    ChirpLowDS();

    // Stores fs, picks the decimation factor (4 below 68000 Hz, else 8) and
    // hands fs to the resampling filters and the high-pass. The loop taps are
    // not recomputed: the spring's configuration calls the setters next.
    void setSampleRate(float rate) override;
    // Back to the audio state of a new line: the cascade, the counters, the
    // loop, the delay ring, the resampling filters' and the high-pass's
    // histories and the modulation noise. The configuration stays.
    void reset() override;
    void process(SampleFrame* frame) override { frame->value = run(frame->value); }
    // One full-rate sample through the line; returns the dispersed signal
    // (before the delay loop).
    double run(double in) noexcept;
    // One full-rate sample through each of two independent lines, with the
    // same result as a.run(inA) followed by b.run(inB). The two cascades are
    // long dependency chains of their own; stepping them side by side lets
    // the processor overlap them, where one after the other it waits on each
    // section in turn.
    static void runPair(ChirpLowDS& a, double& inOutA, ChirpLowDS& b, double& inOutB) noexcept;

    // Frames a block may hold: at most kMaxBlock, and no more than the loop's
    // shortest path from a written sample back to the loop output (the
    // span to the first echo tap), so that a block's loop output depends on
    // earlier blocks only. 0 when the loop is too short for blocks to pay.
    static constexpr int kMaxBlock = 256;
    int blockLimit() const noexcept;

    // The parts of a block of n full-rate samples (n <= blockLimit()), for
    // the spring's block path, which gives exactly the results of n calls
    // of run(): with the decimation phase masked (phaseCount &= phaseMask),
    // readLoopPair() answers two lines' loop outputs for every sample of the
    // block (they depend on earlier blocks only) and makes the echo writes; the input
    // is then fed back, high-passed and decimated; cascadePair() runs two
    // lines' cascades over their decimated values of the block, or of
    // successive parts of it, both lines in the two lanes of a vector where
    // their stages pair up, each stage with its own arithmetic in its own
    // order; after interpolation, writeLoop() stores the k-th output in the
    // ring, and endBlock() advances the line by n samples.
    static void readLoopPair(ChirpLowDS& a, double* outA, ChirpLowDS& b, double* outB, int n) noexcept;
    static void cascadePair(ChirpLowDS& a, double* decA, int countA, ChirpLowDS& b, double* decB,
                            int countB) noexcept;
    void writeLoop(int k, double v) noexcept { delayRing[(delayIndex + k) & kRingMask] = v; }
    void endBlock(int n, double lastLoopOut) noexcept;

    // Each setter stores its value, recomputes the loop taps and clears the
    // delay ring.
    void setStages(float count);  // truncated, at most kMaxStages
    void setCutoff(float hz);     // also sets the stretch K = fs / 2 / hz
    void setAllpassCoeff(float a);
    void setLineDelay(float seconds);
    void setEchoPosition(float position);

    // Starts the modulation noise from `seed`; reset() starts it there again.
    void seedNoise(std::uint32_t seed) noexcept
    {
        noiseSeed = seed;
        noise.seed(seed);
    }

    int stages = 0;                         // M, allpass stage pairs in use
    float cutoff = 5500.0f;                 // Hz, sets the stretch
    double allpassCoeff = 0.0;              // a, coefficient of every allpass section
    float stretch = 44100.0f * 0.5f / 5500.0f; // K = fs / 2 / cutoff
    double allpassX[2 * kMaxStages]{};      // first section's state per stage: current and previous slot
    double allpassY[2 * kMaxStages]{};      // second section's state per stage: current and previous slot
    int pingPong = 0;                       // which slot of each pair is current (0 or 1)
    ChirpDownSampleFilter decimator;        // anti-aliasing before the cascade
    ChirpDownSampleFilter interpolator;     // anti-imaging after the cascade
    int phaseCount = 0;                     // full-rate sample counter, masked by phaseMask
    int decimation = 4;                     // Kds
    int phaseMask = 3;                      // Kds - 1
    float lineDelay = 0.0f;                 // Td, seconds
    int loopDelay = 1;                      // L, samples
    int tapSpan1 = 0;                       // L1, samples
    int tapSpan2 = 0;                       // L2, samples
    int tapSpan3 = 1;                       // L3 = L - L1 - L2, samples
    float echoPosition = 0.0f;              // places the short echo span L2 = trunc(2 K position)
    double echoGainB = 0.0;                 // gain of the second in-place echo
    double echoGainA = 0.0;                 // gain of the first in-place echo
    int modDepth = 0;                       // samples of delay modulation either side of the centre
    double loopOut = 0.0;                   // last value read from the loop, fed back next sample
    double feedback = 0.0;                  // g, loop feedback (negative: the loop output is added)
    double delayRing[kRingSize]{};          // the delay loop
    int delayIndex = 0;                     // write position, kept in 0..kRingMask
    double noiseState = 0.0;                // smoothed modulation noise (unclamped)
    double noisePole = 0.93;                // smoothing pole of the modulation noise
    ChirpHP highPass;                       // 40 Hz input high-pass
    NoiseGenerator noise;                   // modulation noise source, audio thread
    std::uint32_t noiseSeed = 1;            // where the noise starts, at construction and reset()

private:
    void updateTaps();
    // The parts of a block: the delay loop's step for the k-th sample
    // (without the block's own ring writes), answering the loop output; the
    // cascade from stage pair `first` on across `count` decimated values.
    double loopStep(int k) noexcept;
    void cascadeBlock(double* decimated, int count, int first) noexcept;

    // The parts of run(), in order. decimate(): feedback, high-pass and
    // decimator; true when this sample carries a decimated value into the
    // cascade (v is then the decimator output, otherwise 0). cascade(): the
    // allpass sections on a decimated value. finish(): interpolator and the
    // delay loop, returning the line's output.
    bool decimate(double in, double& v) noexcept;
    void cascade(double& v) noexcept;
    double finish(double v) noexcept;
};

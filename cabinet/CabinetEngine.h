#pragma once

#include "cabinet/CabinetSlot.h"
#include "cabinet/Convolver.h"
#include "cabinet/ScaledConvolution.h"
#include "dsp/RateBand.h"
#include "dsp/Relaxed.h"
#include "dsp/ChebyFilter.h"

#include <vector>

// The settings of one cabinet slot that the parameter handling writes.
enum class SlotSetting { Off, Cabinet, Microphone, Axis, Position, Distance, Phase, Volume, Pan };

// Two speaker cabinets, mixed as impulse responses: whenever a cabinet
// setting changes, rebuild() blends each cabinet's response from the stored
// bank, combines the two into one response per output channel (by the mono
// blend, or by each cabinet's volume and pan in stereo), brings it to the
// host rate and loads it into one convolver per channel. The audio path then
// runs one convolution per channel, whatever the number of cabinets.
//
// Rate adaptation: up to 68000 Hz the responses (recorded at 88.2/96 kHz) are
// decimated by two through a pair of 20 kHz low-passes with gain 2, giving
// 4096 samples for the small convolvers; above 68000 Hz the 8192 stored
// samples go to the large convolvers unchanged.
//
// The setters take the parameter values as the host gives them. Once a rate
// is set, a value that differs from the last one given for the same setting
// (NaN always differs) rebuilds the responses at once; an unchanged value,
// as every program change writes, costs nothing.
//
// Threads: the setters, rebuild(), setSampleRate() and reset() run on the
// parameter side, one at a time (the owner serialises them); setSampleRate()
// and reset() only while processing is stopped. process() and
// processStereo() run on the audio thread. rebuild() may run while audio
// runs: the responses reach the audio thread only through the convolvers'
// publication, and the choice of convolver size through a relaxed flag that
// changes only with the sample rate.
class CabinetEngine {
public:
    static constexpr int kSlots = 2;                     // cabinets 1 and 2
    static constexpr int kStoredLength = 8192;           // samples of a stored response
    static constexpr float kLowRateLimit = RateBand::kLimit48k; // Hz; up to it: decimate, small convolvers
    static constexpr double kMonoOutputFactor = 0.1;     // output scale in mono mode
    static constexpr double kStereoOutputFactor = 0.2;   // output scale per channel in stereo mode

    // With the bank linked into the library.
    CabinetEngine();
    // With a bank of 480 × 8192 doubles in table-index order (null: silence).
    explicit CabinetEngine(const double* bank);
    CabinetEngine(const CabinetEngine&) = delete;
    CabinetEngine& operator=(const CabinetEngine&) = delete;

    // Parameter side: store a setting without rebuilding.
    void setStereo(bool stereo) noexcept { stereo_ = stereo; }
    // Parameter side: "CAB type" (0 mono, otherwise stereo), "CAB blend" and
    // the settings of one slot (0 or 1; others are ignored), each a
    // normalised parameter value. True when the responses were rebuilt.
    bool setMode(float value) noexcept;
    bool setBlend(float value) noexcept;
    bool setSlot(int slot, SlotSetting setting, float value) noexcept;

    // Parameter side: while deferred, a changed setting only marks the
    // responses as due; finishDeferred() then rebuilds once if anything
    // changed (answers true when it did). A program change writes every
    // setting and so rebuilds at most once.
    void deferRebuilds() noexcept { deferring_ = true; }
    bool finishDeferred() noexcept;

    // Parameter side: recomputes both cabinet responses and the channel
    // responses and loads them into the convolvers of the current rate.
    // Allocates nothing.
    void rebuild() noexcept;
    // Processing stopped: stores the host rate, sets up the decimators for
    // twice that rate, picks the convolver size and rebuilds, unless the
    // responses in place were built for this very rate (every setting change
    // rebuilds them at once, so they are then current).
    void setSampleRate(float rate) noexcept;
    // Processing stopped: silences the responses and all convolver state;
    // the next setSampleRate() rebuilds.
    void reset() noexcept;
    // Processing stopped: empties every convolver's histories, keeping the
    // responses (see Convolver::clearHistory()).
    void clearHistory() noexcept;

    // Audio thread, in place: mono mode.
    void process(double& sample) noexcept
    {
        ScaledConvolution::sample(activePair()[0], sample, kMonoOutputFactor);
    }
    // Audio thread, in place: stereo mode.
    void processStereo(double& left, double& right) noexcept
    {
        ScaledConvolution::stereoSample(activePair(), left, right, kStereoOutputFactor);
    }

    // Audio thread, in place, n samples: the same as process() on each.
    void processBlock(double* samples, int n) noexcept
    {
        ScaledConvolution::block(activePair()[0], samples, n, kMonoOutputFactor);
    }
    // Audio thread, in place, n samples per channel: the same as
    // processStereo() on each pair.
    void processStereoBlock(double* left, double* right, int n) noexcept
    {
        ScaledConvolution::stereoBlock(activePair(), left, right, n, kStereoOutputFactor);
    }

    // Inspection (parameter side).
    bool lowRate() const noexcept { return lowRate_; }
    bool stereo() const noexcept { return stereo_; }
    float blend() const noexcept { return blend_; }
    const CabinetSlot& slot(int index) const noexcept { return slots_[index == 1 ? 1 : 0]; }
    // The response last loaded for a channel (0 left/mono, 1 right): 4096
    // valid samples at low rates, 8192 otherwise.
    const double* channelResponse(int channel) const noexcept { return channelResponse_[channel == 1 ? 1 : 0].data(); }

private:
    static constexpr int kSlotSettings = 9; // the members of SlotSetting

    // Records `value` as the last one of its setting; rebuilds when it
    // differs from the previous one and a rate is set. True when rebuilt.
    bool rebuildOnChange(float& last, float value) noexcept;
    // Audio thread: the left and right convolvers of the size the rate uses.
    Convolver* activePair() noexcept { return lowRate_ ? smallConvolvers_ : largeConvolvers_; }

    const double* bank_;                          // stored responses, read-only (may be null)
    float sampleRate_ = 44100.0f;                 // Hz, the host rate
    bool stereo_ = false;                         // cabinet mode: false mono, true stereo
    float blend_ = 0.5f;                          // mono blend: 0 cabinet 1 only, 1 cabinet 2 only
    CabinetSlot slots_[kSlots];                   // cabinets 1 and 2
    std::vector<double> channelResponse_[2];      // kStoredLength each: left (also mono) and right
    Convolver smallConvolvers_[2]{Convolver(Convolver::kSmallHead), Convolver(Convolver::kSmallHead)}; // left, right; up to 68 kHz
    Convolver largeConvolvers_[2]{Convolver(Convolver::kLargeHead), Convolver(Convolver::kLargeHead)}; // left, right; above 68 kHz
    ChebyFilter decimators_[4];                   // parameter side: left pair, right pair (used in series)
    Relaxed<bool> lowRate_{true};                 // read by audio: small convolvers (rate ≤ 68000 Hz)
    bool rateSet_ = false;                        // parameter side: setSampleRate() has run
    bool deferring_ = false;                      // parameter side: changes wait for finishDeferred()
    bool rebuildDue_ = false;                     // parameter side: a setting changed while deferring
    float lastMode_ = 0.0f;                       // parameter side: the values last given to the setters
    float lastBlend_ = 0.5f;
    float lastSlot_[kSlots][kSlotSettings]{};
};

#pragma once

#include <array>

#include "amps/BKVGAmpClean.h"
#include "amps/BKVGAmpLead.h"
#include "amps/JCAmpClean.h"
#include "amps/JCAmpLead.h"
#include "amps/MVAmpClean.h"
#include "amps/MVAmpLead.h"
#include "cabinet/CabinetEngine.h"
#include "cabinet/UserResponseEngine.h"
#include "dsp/Relaxed.h"
#include "dsp/ChebyFilter.h"
#include "effects/ClipIndicator.h"
#include "effects/Limiter.h"
#include "effects/NoiseGate.h"
#include "effects/Spring.h"
#include "effects/Tremolo.h"

// The signal chain: every block in signal order, the settings snapshot taken
// once per host block and the per-sample loop:
// input stage -> meter -> gate -> [filters -> amplifier -> filters] x F ->
// tremolo -> spring -> cabinets -> user response -> output gain -> limiter or
// clip watch -> outputs.
//
// It knows nothing of the host interface. Facts about the host (its rate,
// its tempo) come in as plain values: the rate when processing is prepared,
// the tempo with every block.
//
// Threads.
// - Parameter side (one writer at a time, the owner sees to it): the setters
//   below and the blocks' own parameter setters, reached through the block
//   accessors. Each setting has this one writer.
// - prepare() and clear() only while processing is stopped.
// - process() on the audio thread: it never allocates, locks or waits. The
//   tempo it is given is the tremolo's only tempo writer.
// - switches(), inputPeak() and clipLevel() may be read on any thread.
class SignalChain {
public:
    static constexpr int kNumAmpModels = 6;

    // The switches and settings the loop reads once per block.
    struct Switches {
        bool bypassed;          // "Bypass" engaged: outputs are copies of the inputs
        int oversampling;       // 1 or 2 amplifier passes per host sample
        float inputGain;        // "Input", linear
        int inputMode;          // 0 left, 1 right, 2 left + right
        bool antiAliasing;      // "High Res." engaged: the four ChebyFilters run around the amplifier
        int modelIndex;         // selected amplifier channel, 0..5
        bool stereoCabinet;     // "CAB type" not 0: stereo from the cabinet section on
        bool cleanStereo;       // gate and amplifier both off: the stereo path takes the raw input pair
        bool cabinetsOn;        // either cabinet slot on
        bool userResponseOn;    // the current program names a user impulse response
        bool limiterEngaged;    // "Limiter On/Off" exactly 0
        double outputGain;      // "Output", linear
        int clipHold;           // samples the clip indicator stays lit after an over
        bool meterOn;           // the current program's input meter is on
    };

    SignalChain();
    SignalChain(const SignalChain&) = delete;
    SignalChain& operator=(const SignalChain&) = delete;

    // ---- Settings (parameter side) ----
    void setBypassed(bool on) noexcept { bypassed = on; }
    void setInputMode(int mode) noexcept { inputMode = mode; }
    void setInputGain(float gain) noexcept { inputGain = gain; }
    void setOutputGain(float gain) noexcept { outputGain = gain; }
    void setLimiterEngaged(bool on) noexcept { limiterEngaged = on; }
    void setModel(int index) noexcept { modelIndex = index; }
    int model() const noexcept { return modelIndex; }
    void setCabinetSlotOn(int slot, bool on) noexcept { (slot == 0 ? cab1On : cab2On) = on; }
    void setCleanStereo(bool on) noexcept { cleanStereo = on; }
    void setMeterOn(bool on) noexcept { meterOn = on; }
    void setUserResponseOn(bool on) noexcept { userResponseOn = on; }
    // "CAB type" value: mono at 0, stereo otherwise. True when the cabinet
    // responses were rebuilt for it (the user response is then due for a reload).
    bool setCabinetMode(float value) noexcept;
    // "High Res." engaged or not: the amplifier section runs at twice the
    // host rate with the anti-aliasing filters around it, or at the host rate.
    // Recomputes the filters and amplifier channels for the block rate.
    void setAntiAliasing(bool on, float hostRate) noexcept;
    // The selected amplifier channel, restarted.
    void activateModel() noexcept { amps[modelIndex]->activate(); }

    // ---- Blocks, for their own parameter setters (parameter side) ----
    NoiseGate& gate() noexcept { return gate_; }
    AmpChannel& amp(int model) noexcept { return *amps[model]; }
    Tremolo& tremolo() noexcept { return tremolo_; }
    Spring& spring() noexcept { return spring_; }
    CabinetEngine& cabinet() noexcept { return cabinet_; }
    UserResponseEngine& userResponse() noexcept { return userResponse_; }
    Limiter& limiter() noexcept { return limiter_; }
    ClipIndicator& clip() noexcept { return clip_; }
    const Tremolo& tremolo() const noexcept { return tremolo_; }
    const CabinetEngine& cabinet() const noexcept { return cabinet_; }
    const UserResponseEngine& userResponse() const noexcept { return userResponse_; }

    // ---- Processing state (processing stopped) ----
    // Sets every block up for the host rate and the host's tempo (BPM).
    // The owner reloads the user response afterwards.
    void prepare(float hostRate, double tempo) noexcept;
    // Silences the cabinet and user responses and every convolver.
    void clearResponses() noexcept;
    // Every block back to the audio state of a new chain: filter and network
    // histories, the gate, the tremolo's phase, the reverb's lines, the
    // convolvers' histories (their responses stay), the limiter and the clip
    // light. Settings stay. prepare() and the owner's response reload follow
    // before audio runs again.
    void clear() noexcept;

    // ---- Audio thread ----
    // One host block. Missing inputs read as silence, missing outputs are
    // skipped; inputs and outputs may be the same memory. `tempo` is the
    // host's last usable tempo, BPM.
    template <typename Sample>
    void process(const Sample* const* inputs, Sample* const* outputs, int frames, double tempo) noexcept;

    // ---- Read-outs (any thread) ----
    Switches switches() const noexcept;
    float inputPeak() const noexcept { return inputPeak_; }   // block peak of the input stage, /2
    float clipLevel() const noexcept { return clip_.level(); } // 1 while the clip indicator is lit

private:
    // ---- Settings (parameter side writes, the audio thread reads) ----
    Relaxed<bool> bypassed{false};      // "Bypass" engaged
    Relaxed<int> inputMode{2};          // 0 left, 1 right, 2 left + right
    Relaxed<float> inputGain{0.0f};     // "Input"
    Relaxed<float> outputGain{0.0f};    // "Output"
    Relaxed<bool> limiterEngaged{false}; // "Limiter On/Off" exactly 0
    Relaxed<bool> antiAliasing{false};  // "High Res." engaged
    Relaxed<int> oversampling{1};       // amplifier passes per host sample, 1 or 2
    Relaxed<int> modelIndex{0};         // selected amplifier channel
    Relaxed<bool> stereoCabinet{false}; // stereo cabinet section
    Relaxed<bool> cab1On{false};        // cabinet slot 1 engaged
    Relaxed<bool> cab2On{false};        // cabinet slot 2 engaged
    Relaxed<bool> cleanStereo{false};   // gate and amplifier both off
    Relaxed<bool> meterOn{true};        // current program's meterFlag is 1
    Relaxed<bool> userResponseOn{false}; // current program's irPath is not "empty"

    // ---- Blocks, in signal order ----
    NoiseGate gate_;
    ChebyFilter preFilter1;   // anti-imaging filters before the amplifier (oversampled rate)
    ChebyFilter preFilter2;
    ChebyFilter postFilter1;  // anti-aliasing filters after the amplifier (oversampled rate)
    ChebyFilter postFilter2;
    std::array<double, 2> upsampleBuffer{}; // audio thread: [0] the host sample, [1] the stuffed zero
    MVAmpClean mvClean;
    MVAmpLead mvLead;
    BKVGAmpClean bkvgClean;
    BKVGAmpLead bkvgLead;
    JCAmpClean jcClean;
    JCAmpLead jcLead;
    std::array<AmpChannel*, kNumAmpModels> amps{}; // the six channels by model index
    Tremolo tremolo_;
    Spring spring_;
    CabinetEngine cabinet_;
    UserResponseEngine userResponse_;
    Limiter limiter_;

    // ---- Chunk buffers between the stages (audio thread) ----
    static constexpr int kChunk = 256;       // frames per chunk of a host block
    std::array<double, kChunk> chunkMono{};  // the mono chain after the tremolo, then after the spring
    std::array<double, kChunk> chunkLeft{};  // the scaled input pair, for the clean stereo path
    std::array<double, kChunk> chunkRight{};
    std::array<double, 2 * kChunk> chunkOversampled{}; // the amplifier section's stream with "High Res."

    // ---- Metering (audio thread writes, the editor reads) ----
    Relaxed<float> inputPeak_{0.0f}; // peak of the input stage in the last block, halved
    ClipIndicator clip_;             // lit for half a second after an output over while the limiter is off
};

extern template void SignalChain::process<float>(const float* const*, float* const*, int, double) noexcept;
extern template void SignalChain::process<double>(const double* const*, double* const*, int, double) noexcept;

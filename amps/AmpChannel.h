#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>

#include "dsp/CommonBase.h"
#include "dsp/Mailbox.h"
#include "dsp/OnePole.h"
#include "dsp/Relaxed.h"
#include "dsp/SaturatingIntegrator.h"
#include "dsp/TubeStage.h"

// The amplifier knobs as the parameter table routes them to the channels.
enum class AmpKnob { Gain, Low, Mid, High, Presence, Master };

// One amplifier channel (a model). The owner keeps all six, writes every
// channel's copy of a knob, and has only the active channel recompute.
//
// Each channel states its rate-dependent constants once, in its constructor
// (wireTuning): its saturating integrators and a table of one-pole low-pass
// corners with the filters or tube stages each corner feeds. The base works
// them out for a rate on the writer side and hands them to the audio thread
// as one set, which the channel takes up first thing in process()
// (takeUpTuning); taking it up restarts the nonlinear states from rest (the
// one-pole histories carry over).
//
// Threads: process() on the audio thread; setKnob(), activate() and
// setSampleRate() on a parameter thread (one at a time: the owner serialises
// its writers) or while processing is stopped.
class AmpChannel : public CommonBase {
public:
    // Stores a knob position (0..1) in this channel's networks; when
    // `recompute` is set, recomputes the network(s) that the knob acts on.
    virtual void setKnob(AmpKnob knob, float position, bool recompute) = 0;
    // This channel became the active model: recompute its networks.
    virtual void activate() = 0;

    Relaxed<bool> enabled{false}; // "Amp On / Off" engaged; when false the sample passes unchanged

protected:
    static constexpr std::size_t kMaxCorners = 4;     // one-pole corners per channel
    static constexpr std::size_t kMaxIntegrators = 2; // saturating integrators per channel

    // What one corner's low-pass coefficients go to: one or two one-pole
    // filters, or the feedback filter of a tube stage (restarting the stage).
    struct CornerUse {
        OnePole* filter = nullptr;
        OnePole* alsoFilter = nullptr;
        TubeStage* tube = nullptr;
    };

    // Constructor of each channel: where its constants go. `corners` (Hz)
    // pairs with `uses` by position. Publishes the set for the current rate.
    template <std::size_t N>
    void wireTuning(std::initializer_list<SaturatingIntegrator*> integrators, const std::array<double, N>& corners,
                    const std::array<CornerUse, N>& uses) noexcept
    {
        static_assert(N <= kMaxCorners, "more corners than a tuning set holds");
        integratorCount_ = 0;
        for (SaturatingIntegrator* integrator : integrators)
            if (integratorCount_ < kMaxIntegrators)
                integrators_[integratorCount_++] = integrator;
        for (std::size_t k = 0; k < N; ++k) {
            cornerHz_[k] = corners[k];
            uses_[k] = uses[k];
        }
        cornerCount_ = N;
        publishTuning(sampleRate);
    }

    // Works the constants out for `rate` and publishes them (writer side;
    // the end of each channel's setSampleRate()).
    void publishTuning(float rate) noexcept;

    // Installs a published set; the first thing process() does.
    void takeUpTuning() noexcept
    {
        if (tuning_.fetch())
            installTuning(tuning_.current());
    }

private:
    // The constants derived from the rate, installed together by the audio thread.
    struct Tuning {
        std::array<OnePole::Coefficients, kMaxCorners> corners{}; // by corner, as wired
        std::array<double, kMaxIntegrators> alphas{};             // integrator steps, as wired
    };

    void installTuning(const Tuning& tuning) noexcept;

    std::array<SaturatingIntegrator*, kMaxIntegrators> integrators_{}; // wired at construction
    std::size_t integratorCount_ = 0;
    std::array<double, kMaxCorners> cornerHz_{};  // Hz, by corner
    std::array<CornerUse, kMaxCorners> uses_{};   // what each corner feeds
    std::size_t cornerCount_ = 0;
    Mailbox<Tuning> tuning_; // rate-dependent constants on their way to the audio thread
};

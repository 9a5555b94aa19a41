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
    static constexpr std::size_t kKnobs = 6; // the members of AmpKnob

    // Stores a knob position (0..1) where this channel routes the knob; when
    // `recompute` is set, recomputes the network the knob acts on.
    void setKnob(AmpKnob knob, float position, bool recompute) noexcept;
    // This channel became the active model: recompute its knob networks.
    void activate() noexcept;
    // Sets every filter and network up for `rate`, recomputes the networks
    // and publishes the rate-dependent constants.
    void setSampleRate(float rate) override;
    // Restarts the knob networks from rest (processing stopped).
    void reset() override;
    // Back to the audio state of a new channel: every network, one-pole,
    // tube stage and integrator empty, knobs and constants kept (processing
    // stopped). The next published tuning or coefficient set is then taken
    // up as in a new channel.
    void clearHistory() noexcept;

    // "Amp On / Off": when off the sample passes unchanged. Parameter thread.
    void setEnabled(bool on) noexcept { enabled_ = on; }
    bool isEnabled() const noexcept { return enabled_; }

protected:
    Relaxed<bool> enabled_{false}; // "Amp On / Off" engaged; read by process()

    static constexpr std::size_t kMaxCorners = 4;     // one-pole corners per channel
    static constexpr std::size_t kMaxIntegrators = 2; // saturating integrators per channel

    // What one corner's low-pass coefficients go to: one or two one-pole
    // filters, or the feedback filter of a tube stage (restarting the stage).
    struct CornerUse {
        OnePole* filter = nullptr;
        OnePole* alsoFilter = nullptr;
        TubeStage* tube = nullptr;
    };

    // One network of the channel and what a rate change, activate() and
    // reset() do to it: a knob network recomputes (and restarts on reset),
    // a fixed network is installed again at a new rate only.
    struct NetworkUse {
        void* network = nullptr;
        void (*prepare)(void* network, float rate) = nullptr; // set the rate and install
        void (*update)(void* network) = nullptr;              // recompute from the knobs (knob networks)
        void (*restart)(void* network) = nullptr;             // back to rest (knob networks)
        void (*clear)(void* network) = nullptr;               // histories only, settings kept
    };
    static constexpr std::size_t kMaxNetworks = 3;

    template <typename Network>
    static NetworkUse knobNetwork(Network& network) noexcept
    {
        return {&network,
                [](void* n, float rate) {
                    static_cast<Network*>(n)->setSampleRate(rate);
                    static_cast<Network*>(n)->updateCoefficients();
                },
                [](void* n) { static_cast<Network*>(n)->updateCoefficients(); },
                [](void* n) { static_cast<Network*>(n)->reset(); },
                [](void* n) { static_cast<Network*>(n)->clearHistory(); }};
    }
    template <typename Network>
    static NetworkUse fixedNetwork(Network& network) noexcept
    {
        return {&network, [](void* n, float rate) {
                    static_cast<Network*>(n)->setSampleRate(rate);
                    static_cast<Network*>(n)->installFixedCoefficients();
                },
                nullptr, nullptr, [](void* n) { static_cast<Network*>(n)->clearHistory(); }};
    }

    // Where one knob goes: a position in a network (recomputed on request)
    // or a plain setting that the audio thread reads as it is.
    struct KnobRoute {
        Relaxed<float>* position = nullptr;
        void* network = nullptr;
        void (*update)(void* network) = nullptr;
    };
    template <typename Network>
    static KnobRoute knobIn(Network& network, Relaxed<float>& position) noexcept
    {
        return {&position, &network, [](void* n) { static_cast<Network*>(n)->updateCoefficients(); }};
    }
    static KnobRoute plainKnob(Relaxed<float>& position) noexcept { return {&position}; }

    // Constructor of each channel: where each knob goes, in AmpKnob order.
    void routeKnobs(const std::array<KnobRoute, kKnobs>& routes) noexcept { knobRoutes_ = routes; }

    // Constructor of each channel: its networks, in signal order.
    void wireNetworks(std::initializer_list<NetworkUse> networks) noexcept
    {
        networkCount_ = 0;
        for (const NetworkUse& use : networks)
            if (networkCount_ < kMaxNetworks)
                networks_[networkCount_++] = use;
    }

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

    // Works the constants out for `rate` and publishes them (writer side).
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
    std::array<NetworkUse, kMaxNetworks> networks_{}; // wired at construction
    std::array<KnobRoute, kKnobs> knobRoutes_{};      // by AmpKnob, wired at construction
    std::size_t networkCount_ = 0;
    Mailbox<Tuning> tuning_; // rate-dependent constants on their way to the audio thread
};

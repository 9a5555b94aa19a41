#pragma once

#include <cstdint>
#include <initializer_list>

#include "dsp/KnobPolynomial.h"
#include "dsp/Relaxed.h"
#include "dsp/SZCrossfade.h"

// A circuit network of order N whose analog transfer function is a table of
// polynomials in the amplifier knobs, run through the bilinear transform and
// switched with a crossfade on every change. A network is its table and the
// knobs it reads: positions of the knobs it does not read are kept but play
// no part.
//
// Threads: the knob positions are written by the parameter thread;
// updateCoefficients() runs on the writer side (parameter thread, or while
// stopped) and hands the new set to the audio thread through the crossfade.
template <int N>
class KnobNetwork : public SZCrossfade<N> {
public:
    static constexpr int kOrder = N;

    // The analog denominator and numerator (N+1 coefficients each, ascending
    // powers of s) at the stored knob positions.
    void analogCoefficients(double* den, double* num) const noexcept
    {
        const Relaxed<float>* const positions[kKnobVariables] = {&gain, &low, &mid, &high, &presence, &master};
        KnobValues knobs{};
        for (int k = 0; k < kKnobVariables; ++k)
            if ((reads_ >> k & 1u) != 0)
                knobs[std::size_t(k)] = double(positions[k]->load());
        transfer_.evaluate(knobs, den, num);
    }

    // Recomputes the transfer function from the knobs and installs it with a
    // fresh crossfade.
    void updateCoefficients() noexcept
    {
        double den[N + 1];
        double num[N + 1];
        analogCoefficients(den, num);
        this->setCoefficients(den, num);
    }

    // Knob positions 0..1, written by the parameter thread.
    Relaxed<float> gain{0.5f};     // "Amp Gain"
    Relaxed<float> low{0.5f};      // "Amp Low"
    Relaxed<float> mid{0.5f};      // "Amp Mid"
    Relaxed<float> high{0.5f};     // "Amp High"
    Relaxed<float> presence{0.5f}; // "Amp Presence"
    Relaxed<float> master{0.5f};   // "Amp Master"

protected:
    // `transfer` must outlive the network (the tables are constants).
    KnobNetwork(const KnobTransferFunction<N>& transfer, std::initializer_list<KnobVariable> reads) noexcept
        : transfer_(transfer)
    {
        for (KnobVariable k : reads)
            reads_ = std::uint8_t(reads_ | 1u << unsigned(k));
    }

private:
    const KnobTransferFunction<N>& transfer_; // the network's table
    std::uint8_t reads_ = 0;                  // bit k: the knob of KnobVariable k is read
};

#pragma once

#include <array>
#include <cstdint>
#include <span>

// The circuit networks write their analog transfer functions as polynomials
// in the knob positions. A KnobTerm is one monomial, written in the tables
// the way it reads on paper: {-2.5625e-7, "m^2"} or {6.890625e-12, "g h m"}.
// The monomial text is parsed at compile time, so a typing error in a table
// does not build.

// The knob variables, in the order of KnobValues: gain, low, mid, high,
// presence, master (volume).
enum class KnobVariable : std::uint8_t { g, l, m, h, p, v };
inline constexpr int kKnobVariables = 6;

struct KnobTerm {
    double coefficient;                          // the term's factor
    std::array<std::uint8_t, kKnobVariables> powers{}; // exponent of each knob variable

    consteval KnobTerm(double factor, const char* monomial = "") : coefficient(factor)
    {
        for (const char* c = monomial; *c != '\0';) {
            if (*c == ' ') {
                ++c;
                continue;
            }
            int variable = -1;
            switch (*c) {
            case 'g': variable = 0; break;
            case 'l': variable = 1; break;
            case 'm': variable = 2; break;
            case 'h': variable = 3; break;
            case 'p': variable = 4; break;
            case 'v': variable = 5; break;
            default: throw "unknown knob variable in a monomial";
            }
            ++c;
            int exponent = 1;
            if (*c == '^') {
                ++c;
                if (*c < '1' || *c > '9')
                    throw "bad exponent in a monomial";
                exponent = *c - '0';
                ++c;
            }
            powers[std::size_t(variable)] = std::uint8_t(powers[std::size_t(variable)] + exponent);
        }
    }
};

// Knob positions widened to double, indexed by KnobVariable.
using KnobValues = std::array<double, kKnobVariables>;

// Sum of the terms at the given positions, in double precision.
inline double evaluate(std::span<const KnobTerm> terms, const KnobValues& knobs) noexcept
{
    double sum = 0.0;
    for (const KnobTerm& term : terms) {
        double product = term.coefficient;
        for (int k = 0; k < kKnobVariables; ++k)
            for (int e = 0; e < term.powers[std::size_t(k)]; ++e)
                product *= knobs[std::size_t(k)];
        sum += product;
    }
    return sum;
}

// A network's transfer function: den[0..N] and num[0..N], each coefficient
// of s^i a polynomial in the knobs.
template <int N>
struct KnobTransferFunction {
    std::array<std::span<const KnobTerm>, N + 1> den; // denominator coefficients, ascending powers of s
    std::array<std::span<const KnobTerm>, N + 1> num; // numerator coefficients, ascending powers of s

    void evaluate(const KnobValues& knobs, double* denOut, double* numOut) const noexcept
    {
        for (int i = 0; i <= N; ++i) {
            denOut[i] = ::evaluate(den[std::size_t(i)], knobs);
            numOut[i] = ::evaluate(num[std::size_t(i)], knobs);
        }
    }
};

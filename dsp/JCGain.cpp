#include "dsp/JCGain.h"

namespace {

// The circuit's transfer function as polynomials in the knob positions
// g, l, m, h, p, v (gain, low, mid, high, presence, master). Terms whose
// factor is below 1e-9 of the largest in the same coefficient are omitted.

constexpr KnobTerm kDen0[] = {
    {1},
};
constexpr KnobTerm kDen1[] = {
    {0.5920047},
    {-0.5, "g"},
};
constexpr KnobTerm kDen2[] = {
    {0.0418227824},
    {-0.04100235, "g"},
};
constexpr KnobTerm kDen3[] = {
    {1.96554e-7},
    {-1.927e-7, "g"},
};
constexpr KnobTerm kNum0[] = {
    {0},
};
constexpr KnobTerm kNum1[] = {
    {0.082},
};
constexpr KnobTerm kNum2[] = {
    {0.0803603854},
    {-0.041, "g"},
};
constexpr KnobTerm kNum3[] = {
    {1.96554e-7},
    {-1.927e-7, "g"},
};

constexpr KnobTransferFunction<3> kTransfer{
    {kDen0, kDen1, kDen2, kDen3},
    {kNum0, kNum1, kNum2, kNum3},
};

} // namespace

JCGain::JCGain() : KnobNetwork(kTransfer, {KnobVariable::g}) {}

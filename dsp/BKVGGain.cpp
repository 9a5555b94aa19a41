#include "dsp/BKVGGain.h"

namespace {

// The circuit's transfer function as polynomials in the knob positions
// g, l, m, h, p, v (gain, low, mid, high, presence, master). Terms whose
// factor is below 1e-9 of the largest in the same coefficient are omitted.

constexpr KnobTerm kDen0[] = {
    {161560},
};
constexpr KnobTerm kDen1[] = {
    {5183.472},
    {229.68, "g"},
    {-220, "g^2"},
};
constexpr KnobTerm kDen2[] = {
    {0.433664},
    {7.34976, "g"},
    {-7.04, "g^2"},
};
constexpr KnobTerm kNum0[] = {
    {0},
};
constexpr KnobTerm kNum1[] = {
    {3554.32},
};
constexpr KnobTerm kNum2[] = {
    {77.924, "g"},
    {-4.84, "g^2"},
};

constexpr KnobTransferFunction<2> kTransfer{
    {kDen0, kDen1, kDen2},
    {kNum0, kNum1, kNum2},
};

} // namespace

BKVGGain::BKVGGain() : KnobNetwork(kTransfer, {KnobVariable::g}) {}

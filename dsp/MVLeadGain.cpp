#include "dsp/MVLeadGain.h"

namespace {

// The circuit's transfer function as polynomials in the knob positions
// g, l, m, h, p, v (gain, low, mid, high, presence, master). Terms whose
// factor is below 1e-9 of the largest in the same coefficient are omitted.

constexpr KnobTerm kDen0[] = {
    {1177000},
};
constexpr KnobTerm kDen1[] = {
    {23321.024},
};
constexpr KnobTerm kDen2[] = {
    {21.4886577},
};
constexpr KnobTerm kDen3[] = {
    {0.00208487535},
};
constexpr KnobTerm kNum0[] = {
    {0},
};
constexpr KnobTerm kNum1[] = {
    {10702.5, "g"},
};
constexpr KnobTerm kNum2[] = {
    {10.686537, "g"},
};
constexpr KnobTerm kNum3[] = {
    {0.0015761685, "g"},
};

constexpr KnobTransferFunction<3> kTransfer{
    {kDen0, kDen1, kDen2, kDen3},
    {kNum0, kNum1, kNum2, kNum3},
};

} // namespace

MVLeadGain::MVLeadGain() : KnobNetwork(kTransfer, {KnobVariable::g}) {}

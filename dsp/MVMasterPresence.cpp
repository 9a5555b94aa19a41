#include "dsp/MVMasterPresence.h"

namespace {

// The circuit's transfer function as polynomials in the knob positions
// g, l, m, h, p, v (gain, low, mid, high, presence, master). Terms whose
// factor is below 1e-9 of the largest in the same coefficient are omitted.

constexpr KnobTerm kDen0[] = {
    {150000},
    {250000, "v"},
};
constexpr KnobTerm kDen1[] = {
    {2467.5},
    {112.5, "p"},
    {4300, "v"},
    {-187.5, "p v"},
    {-112.5, "p^2"},
    {-2937.5, "v^2"},
};
constexpr KnobTerm kDen2[] = {
    {1.850625, "p"},
    {3.084375, "v"},
    {-3.084375, "p v"},
    {-1.850625, "p^2"},
    {-2.203125, "v^2"},
    {2.203125, "p v^2"},
};
constexpr KnobTerm kNum0[] = {
    {0},
};
constexpr KnobTerm kNum1[] = {
    {1762.5, "v"},
};
constexpr KnobTerm kNum2[] = {
    {1.321875, "p v"},
    {-1.321875, "p^2 v"},
};

constexpr KnobTransferFunction<2> kTransfer{
    {kDen0, kDen1, kDen2},
    {kNum0, kNum1, kNum2},
};

} // namespace

MVMasterPresence::MVMasterPresence() : KnobNetwork(kTransfer, {KnobVariable::p, KnobVariable::v}) {}

#include "dsp/MVLeadTS.h"

namespace {

// The circuit's transfer function as polynomials in the knob positions
// g, l, m, h, p, v (gain, low, mid, high, presence, master). Terms whose
// factor is below 1e-9 of the largest in the same coefficient are omitted.

constexpr KnobTerm kDen0[] = {
    {1},
};
constexpr KnobTerm kDen1[] = {
    {0.0026535},
    {0.0005, "m"},
    {0.0205, "l^3"},
};
constexpr KnobTerm kDen2[] = {
    {1.00554e-6},
    {-1.5125e-7, "m"},
    {-2.5625e-7, "m^2"},
    {2.5028e-5, "l^3"},
    {1.025e-5, "l^3 m"},
};
constexpr KnobTerm kDen3[] = {
    {8.4828e-11},
    {-2.1625e-11, "m"},
    {-3.7125e-11, "m^2"},
    {2.75392e-9, "l^3"},
    {1.485e-9, "l^3 m"},
};
constexpr KnobTerm kNum0[] = {
    {0},
};
constexpr KnobTerm kNum1[] = {
    {0.0005125},
    {0.000125, "h"},
    {0.0005, "m"},
    {0.0205, "l^3"},
};
constexpr KnobTerm kNum2[] = {
    {1.557e-7},
    {2.52e-7, "h"},
    {3.1875e-7, "m"},
    {-2.5625e-7, "m^2"},
    {6.228e-6, "l^3"},
    {1.025e-5, "l^3 m"},
};
constexpr KnobTerm kNum3[] = {
    {1.0098e-11},
    {7.473e-11, "h"},
    {3.7125e-11, "m"},
    {-5.875e-11, "h m"},
    {-3.7125e-11, "m^2"},
    {4.0392e-10, "l^3"},
    {2.35e-9, "h l^3"},
    {1.485e-9, "l^3 m"},
};

constexpr KnobTransferFunction<3> kTransfer{
    {kDen0, kDen1, kDen2, kDen3},
    {kNum0, kNum1, kNum2, kNum3},
};

} // namespace

MVLeadTS::MVLeadTS() : KnobNetwork(kTransfer, {KnobVariable::l, KnobVariable::m, KnobVariable::h}) {}

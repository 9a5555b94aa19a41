#pragma once

#include "dsp/SZDirect.h"

// The JC channels' fixed input network (third order, no knobs). Its gain is
// zero at DC (num[0] = 0) and at very high frequencies (the numerator is of
// lower degree than the denominator). Being fixed, it switches without a
// crossfade and keeps its histories when it is installed again.
class JCInput final : public SZBase3s {
public:
    static constexpr int kOrder = 3;
    static constexpr double kDen[kOrder + 1] = {39000.0, 3205.2813, 0.0153837606, 1.50306e-9};
    static constexpr double kNum[kOrder + 1] = {0.0, 11398.0, 0.0150306, 0.0};

    // Installs the fixed network at the stored rate (writer side).
    void installFixedCoefficients() noexcept { setCoefficients(kDen, kNum); }
};

// The engine blends neighbouring placements sample by sample: the responses
// of one set must be coherent enough that a blend does not comb-filter.

#include "tests/bank/BankFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

using namespace bank_test;

TEST(BankBlend, HalfwayBlendOfNeighboursKeepsTheirMeanMagnitude)
{
    // Neighbours along the radial axis at both distances, and across distance.
    constexpr std::pair<int, int> kNeighbours[] = {{0, 1}, {1, 2}, {3, 4}, {4, 5}, {0, 3}, {1, 4}, {2, 5}};
    std::vector<double> blend(kIrBankTableLength);
    for (int c = 1; c <= kIrBankCabinets; ++c)
        for (int fam = 0; fam < kIrBankFamilies; ++fam)
            for (int m = 1; m <= kIrBankMicrophones; ++m)
                for (int a = 1; a <= kIrBankAxes; ++a)
                    for (const auto& [k1, k2] : kNeighbours) {
                        const double* x = table(c, fam, m, a, k1);
                        const double* y = table(c, fam, m, a, k2);
                        for (int i = 0; i < kIrBankTableLength; ++i)
                            blend[i] = 0.5 * x[i] + 0.5 * y[i];
                        const Bands mixed = analyse(blend, familyRate(fam));
                        const Bands& bx = bands(c, fam, m, a, k1);
                        const Bands& by = bands(c, fam, m, a, k2);
                        for (int band = 0; band < kBandCount && bandCentre(band) < 5000.0; ++band) {
                            const double mean =
                                20.0 * std::log10(0.5 * std::pow(10.0, bx.db[band] / 20.0) +
                                                  0.5 * std::pow(10.0, by.db[band] / 20.0));
                            EXPECT_NEAR(mixed.db[band], mean, 3.0)
                                << cabinetName(c) << ", " << microphoneName(m) << ", axis " << a << ", family " << fam
                                << ", k " << k1 << "/" << k2 << ", band " << bandCentre(band) << " Hz";
                        }
                    }
}

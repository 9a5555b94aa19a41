// The engine blends neighbouring placements sample by sample: the responses
// of one set must be coherent enough that a blend does not comb-filter.

#include "tests/bank/BankFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace bank_test;

namespace {

// Two neighbouring placements of one cabinet/microphone/axis set.
struct Neighbours {
    int cabinet, family, microphone, axis;
    int k1, k2;
};

// Calls f(neighbours, blend, description) for every pair of neighbouring
// placements of every set, with their 50/50 blend: neighbours along the
// radial axis at both distances, and across distance.
template <typename F>
void forEachHalfwayBlend(F f)
{
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
                        std::ostringstream where;
                        where << cabinetName(c) << ", " << microphoneName(m) << ", axis " << a << ", family " << fam
                              << ", k " << k1 << "/" << k2;
                        f(Neighbours{c, fam, m, a, k1, k2}, blend, where.str());
                    }
}

// Mean magnitude of two band levels, dB.
double meanMagnitude(double db1, double db2)
{
    return 20.0 * std::log10(0.5 * std::pow(10.0, db1 / 20.0) + 0.5 * std::pow(10.0, db2 / 20.0));
}

} // namespace

TEST(BankBlend, HalfwayBlendOfNeighboursKeepsTheirMeanMagnitude)
{
    forEachHalfwayBlend([](const Neighbours& n, const std::vector<double>& blend, const std::string& where) {
        const Bands mixed = analyse(blend, familyRate(n.family));
        const Bands& bx = bands(n.cabinet, n.family, n.microphone, n.axis, n.k1);
        const Bands& by = bands(n.cabinet, n.family, n.microphone, n.axis, n.k2);
        for (int band = 0; band < kBandCount && bandCentre(band) < 5000.0; ++band)
            EXPECT_NEAR(mixed.db[band], meanMagnitude(bx.db[band], by.db[band]), 3.0)
                << where << ", band " << bandCentre(band) << " Hz";
    });
}

TEST(BankBlend, BlendsOfNeighboursDipNoMoreThanTwoAndAHalfDecibels)
{
    // Finer than the test above and over the whole range a cabinet reaches:
    // sixth-octave bands from 40 Hz to 16 kHz, for the 50/50 blend (where
    // the phase differences of two neighbours count most). Any dip below the
    // mean magnitude of the neighbours is cancellation between them; 2.5 dB
    // in a sixth of an octave is about the smallest narrow dip heard on
    // guitar, and placements a step apart must stay under it.
    constexpr double kLowHz = 40.0;
    constexpr double kHighHz = 16000.0;
    constexpr double kDeepestDipDb = 2.5;
    forEachHalfwayBlend([](const Neighbours& n, const std::vector<double>& blend, const std::string& where) {
        const double rate = familyRate(n.family);
        const FineBands mixed = analyseSixths(blend, rate, kLowHz, kHighHz);
        const FineBands bx = analyseSixths(table(n.cabinet, n.family, n.microphone, n.axis, n.k1),
                                           kIrBankTableLength, rate, kLowHz, kHighHz);
        const FineBands by = analyseSixths(table(n.cabinet, n.family, n.microphone, n.axis, n.k2),
                                           kIrBankTableLength, rate, kLowHz, kHighHz);
        double deepest = 0.0;
        double at = 0.0;
        for (std::size_t b = 0; b < mixed.db.size(); ++b) {
            const double dip = mixed.db[b] - meanMagnitude(bx.db[b], by.db[b]);
            if (dip < deepest) {
                deepest = dip;
                at = mixed.centre[b];
            }
        }
        EXPECT_GE(deepest, -kDeepestDipDb) << where << ", at " << at << " Hz";
    });
}

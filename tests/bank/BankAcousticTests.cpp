// Acoustic character of the synthesised bank, on third-octave bands: the
// orderings that any set of miked guitar-cabinet responses shows.

#include "tests/bank/BankFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace bank_test;

namespace {

// Level of a frequency range relative to another range of the same table, dB.
double relative(const Bands& b, double loHz, double hiHz, double refLoHz, double refHiHz)
{
    return b.level(loHz, hiHz) - b.level(refLoHz, refHiHz);
}

// Highs against the low mids: where axis and radial position act.
double highs(const Bands& b)
{
    return relative(b, 4000.0, 10000.0, 250.0, 1000.0);
}

double upperMids(const Bands& b)
{
    return relative(b, 2500.0, 8000.0, 250.0, 1000.0);
}

// Top end against the 1–4 kHz region: where the microphones differ.
double brilliance(const Bands& b)
{
    return relative(b, 5000.0, 12500.0, 1000.0, 4000.0);
}

double extension(const Bands& b)
{
    return relative(b, 8000.0, 16000.0, 1000.0, 4000.0);
}

// Deep bass against the mids: cabinet size and proximity effect.
double deepBass(const Bands& b)
{
    return relative(b, 50.0, 100.0, 300.0, 3000.0);
}

double proximityBass(const Bands& b)
{
    return relative(b, 50.0, 100.0, 200.0, 500.0);
}

constexpr double kMargin = 1.0; // dB: an ordering must be at least this clear

// Calls f(cabinet, family, microphone, axis, k) for every table.
template <typename F>
void forEachTable(F f)
{
    for (int c = 1; c <= kIrBankCabinets; ++c)
        for (int fam = 0; fam < kIrBankFamilies; ++fam)
            for (int m = 1; m <= kIrBankMicrophones; ++m)
                for (int a = 1; a <= kIrBankAxes; ++a)
                    for (int k = 0; k < kIrBankPlacements; ++k)
                        f(c, fam, m, a, k);
}

} // namespace

TEST(BankAcoustics, OffAxisIsDarkerAboveFourKilohertz)
{
    forEachTable([](int c, int fam, int m, int a, int k) {
        if (a != 1)
            return;
        EXPECT_LT(highs(bands(c, fam, m, 2, k)), highs(bands(c, fam, m, 1, k)) - kMargin)
            << cabinetName(c) << ", " << microphoneName(m) << ", family " << fam << ", k " << k;
    });
}

TEST(BankAcoustics, ConeEdgeIsDarkerThanCapCentre)
{
    forEachTable([](int c, int fam, int m, int a, int k) {
        if (k != 0 && k != 3)
            return;
        EXPECT_LT(upperMids(bands(c, fam, m, a, k + 2)), upperMids(bands(c, fam, m, a, k)) - kMargin)
            << cabinetName(c) << ", " << microphoneName(m) << ", axis " << a << ", family " << fam << ", k " << k;
    });
}

TEST(BankAcoustics, RibbonIsDarkestAndCondenserMostExtended)
{
    forEachTable([](int c, int fam, int m, int a, int k) {
        if (m != kRibbon)
            return;
        const Bands& d57 = bands(c, fam, kDynamic57, a, k);
        const Bands& d441 = bands(c, fam, kDynamic441, a, k);
        const Bands& ribbon = bands(c, fam, kRibbon, a, k);
        const Bands& condenser = bands(c, fam, kCondenser, a, k);
        const char* where = cabinetName(c);
        EXPECT_LT(brilliance(ribbon), std::min(brilliance(d57), brilliance(d441)) - kMargin)
            << where << ", axis " << a << ", family " << fam << ", k " << k;
        EXPECT_GT(extension(condenser), std::max(extension(d57), extension(d441)) + kMargin)
            << where << ", axis " << a << ", family " << fam << ", k " << k;
    });
}

TEST(BankAcoustics, EightInchCabinetIsThinnerBelow120HzThanTheTwoByTwelve)
{
    forEachTable([](int c, int fam, int m, int a, int k) {
        if (c != kTwelveTwoCabinet)
            return;
        EXPECT_LT(deepBass(bands(kEightInchCabinet, fam, m, a, k)), deepBass(bands(c, fam, m, a, k)) - kMargin)
            << microphoneName(m) << ", axis " << a << ", family " << fam << ", k " << k;
    });
}

TEST(BankAcoustics, EveryTableIsTwentyDecibelsDownAboveTenKilohertz)
{
    forEachTable([](int c, int fam, int m, int a, int k) {
        const Bands& b = bands(c, fam, m, a, k);
        EXPECT_LE(b.highest(10000.0, 16000.0), b.level(1000.0, 4000.0) - 20.0)
            << cabinetName(c) << ", " << microphoneName(m) << ", axis " << a << ", family " << fam << ", k " << k;
    });
}

TEST(BankAcoustics, DistanceReducesProximityBass)
{
    // Every microphone of the bank is directional (cardioid, supercardioid, figure-8).
    forEachTable([](int c, int fam, int m, int a, int k) {
        if (k >= 3)
            return;
        EXPECT_LT(proximityBass(bands(c, fam, m, a, k + 3)), proximityBass(bands(c, fam, m, a, k)) - kMargin)
            << cabinetName(c) << ", " << microphoneName(m) << ", axis " << a << ", family " << fam << ", k " << k;
    });
}

TEST(BankAcoustics, BothFamiliesHoldTheSameResponses)
{
    // Peak normalisation and the different sampling leave a level offset; the shapes must agree.
    forEachTable([](int c, int fam, int m, int a, int k) {
        if (fam != 0)
            return;
        const Bands& b0 = bands(c, 0, m, a, k);
        const Bands& b1 = bands(c, 1, m, a, k);
        const double offset = b1.level(1000.0, 4000.0) - b0.level(1000.0, 4000.0);
        for (int band = 0; band < kBandCount; ++band) {
            if (bandCentre(band) < 79.0)
                continue;
            EXPECT_NEAR(b1.db[band] - offset, b0.db[band], 1.0)
                << cabinetName(c) << ", " << microphoneName(m) << ", axis " << a << ", k " << k << ", band "
                << bandCentre(band) << " Hz";
        }
    });
}

TEST(BankAcoustics, CabinetsAndMicrophonesSoundDistinct)
{
    // Two codes differing in cabinet or microphone, at the same axis and
    // placement, differ in spectral shape by at least 1 dB RMS over the bands.
    const auto distance = [](const Bands& x, const Bands& y) {
        double mean = 0.0;
        int count = 0;
        for (int band = 0; band < kBandCount; ++band)
            if (bandCentre(band) >= 39.0) {
                mean += x.db[band] - y.db[band];
                ++count;
            }
        mean /= count;
        double sum = 0.0;
        for (int band = 0; band < kBandCount; ++band)
            if (bandCentre(band) >= 39.0) {
                const double d = x.db[band] - y.db[band] - mean;
                sum += d * d;
            }
        return std::sqrt(sum / count);
    };
    for (int fam = 0; fam < kIrBankFamilies; ++fam)
        for (int a = 1; a <= kIrBankAxes; ++a)
            for (int k = 0; k < kIrBankPlacements; ++k)
                for (int c1 = 1; c1 <= kIrBankCabinets; ++c1)
                    for (int m1 = 1; m1 <= kIrBankMicrophones; ++m1)
                        for (int c2 = c1; c2 <= kIrBankCabinets; ++c2)
                            for (int m2 = 1; m2 <= kIrBankMicrophones; ++m2) {
                                if (c2 == c1 && m2 <= m1)
                                    continue;
                                EXPECT_GE(distance(bands(c1, fam, m1, a, k), bands(c2, fam, m2, a, k)), 1.0)
                                    << cabinetName(c1) << "/" << microphoneName(m1) << " vs " << cabinetName(c2)
                                    << "/" << microphoneName(m2) << ", axis " << a << ", family " << fam << ", k "
                                    << k;
                            }
}

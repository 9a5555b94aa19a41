// Layout and level facts of the linked response bank.

#include "tests/bank/BankFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using namespace bank_test;

namespace {

struct IndexCase {
    int cabinet, family, microphone, axis, k;
    int index;
};

// Microphones are stored in slot order 3, 2, 1, 4; each cabinet holds 96 tables, family 0 first.
constexpr IndexCase kIndexCases[] = {
    {1, 0, 3, 1, 0, 0},   {1, 0, 2, 1, 0, 12}, {1, 0, 1, 1, 0, 24},  {1, 0, 4, 1, 0, 36},
    {1, 0, 3, 2, 0, 6},   {1, 0, 3, 1, 5, 5},  {1, 1, 3, 1, 0, 48},  {3, 0, 1, 2, 3, 225},
    {5, 1, 4, 2, 5, 479},
};

} // namespace

TEST(BankLayout, TableIndexFollowsTheStorageOrder)
{
    for (const IndexCase& c : kIndexCases)
        EXPECT_EQ(irBankTableIndex(c.cabinet, c.family, c.microphone, c.axis, c.k), c.index)
            << "cabinet " << c.cabinet << " family " << c.family << " mic " << c.microphone << " axis " << c.axis
            << " k " << c.k;
}

TEST(BankLayout, TablesAreLinkedAlignedAndFinite)
{
    const double* tables = irBankTables();
    ASSERT_NE(tables, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(tables) % 16, 0u);
    for (long i = 0; i < static_cast<long>(kIrBankTableCount) * kIrBankTableLength; ++i)
        ASSERT_TRUE(std::isfinite(tables[i])) << "sample " << i;
}

TEST(BankLevels, PeakLevelAndPositionOfEveryTable)
{
    for (int t = 0; t < kIrBankTableCount; ++t) {
        const double* x = irBankTables() + static_cast<long>(t) * kIrBankTableLength;
        int at = 0;
        for (int i = 1; i < kIrBankTableLength; ++i)
            if (std::abs(x[i]) > std::abs(x[at]))
                at = i;
        EXPECT_GE(std::abs(x[at]), 0.87) << "table " << t;
        EXPECT_LE(std::abs(x[at]), 0.91) << "table " << t;
        EXPECT_LT(at, 45) << "table " << t;
    }
}

TEST(BankLevels, EveryTableIsNonZeroToItsEndAndDecays)
{
    const auto rms = [](const double* x, int from, int count) {
        double sum = 0.0;
        for (int i = from; i < from + count; ++i)
            sum += x[i] * x[i];
        return std::sqrt(sum / count);
    };
    constexpr int kWindow = 512;
    for (int t = 0; t < kIrBankTableCount; ++t) {
        const double* x = irBankTables() + static_cast<long>(t) * kIrBankTableLength;
        for (int i = 0; i < kIrBankTableLength; ++i)
            ASSERT_NE(x[i], 0.0) << "table " << t << " sample " << i;
        const double middle = rms(x, kIrBankTableLength / 2, kWindow);
        const double end = rms(x, kIrBankTableLength - kWindow, kWindow);
        // The tail falls steadily and ends far below the peak (no ringing, no cut-off edge).
        EXPECT_LT(end, 0.5 * middle) << "table " << t;
        EXPECT_LT(end, 0.89 * std::pow(10.0, -60.0 / 20.0)) << "table " << t;
        EXPECT_LT(std::abs(x[kIrBankTableLength - 1]), 0.89 * std::pow(10.0, -70.0 / 20.0)) << "table " << t;
    }
}

TEST(BankLevels, MainLobeOfEveryTableIsPositive)
{
    // Speakers and microphones are wired in phase: a forward push of the cone
    // gives a positive pressure and a positive voltage. The first sample to
    // reach a tenth of the peak, and the peak itself, must both be positive;
    // a table stored inverted cancels against the others in every blend.
    for (int t = 0; t < kIrBankTableCount; ++t) {
        const double* x = irBankTables() + static_cast<long>(t) * kIrBankTableLength;
        int at = 0;
        for (int i = 1; i < kIrBankTableLength; ++i)
            if (std::abs(x[i]) > std::abs(x[at]))
                at = i;
        int onset = 0;
        while (std::abs(x[onset]) < 0.1 * std::abs(x[at]))
            ++onset;
        EXPECT_GT(x[at], 0.0) << "table " << t << ", peak at sample " << at;
        EXPECT_GT(x[onset], 0.0) << "table " << t << ", onset at sample " << onset;
    }
}

TEST(BankLevels, PlacementsOfOneSetShareTheirPolarity)
{
    // The engine blends the six placements of a set sample by sample: any two
    // of them must be clearly positively correlated, or a blend would cancel
    // (a table of the opposite polarity correlates negatively). Neighbours,
    // which the engine blends half and half, must stay above 0.5; the most
    // distant pairs (grille at the cone edge against the dust cap at a
    // distance) differ most in tone and stay above 0.4.
    constexpr bool kNeighbour[kIrBankPlacements][kIrBankPlacements] = {
        {false, true, false, true, false, false}, {true, false, true, false, true, false},
        {false, true, false, false, false, true}, {true, false, false, false, true, false},
        {false, true, false, true, false, true},  {false, false, true, false, true, false},
    };
    for (int set = 0; set < kIrBankTableCount / kIrBankPlacements; ++set)
        for (int k1 = 0; k1 < kIrBankPlacements; ++k1)
            for (int k2 = k1 + 1; k2 < kIrBankPlacements; ++k2) {
                const double* x = irBankTables() + static_cast<long>(set * kIrBankPlacements + k1) * kIrBankTableLength;
                const double* y = irBankTables() + static_cast<long>(set * kIrBankPlacements + k2) * kIrBankTableLength;
                double xy = 0.0, xx = 0.0, yy = 0.0;
                for (int i = 0; i < kIrBankTableLength; ++i) {
                    xy += x[i] * y[i];
                    xx += x[i] * x[i];
                    yy += y[i] * y[i];
                }
                EXPECT_GT(xy / std::sqrt(xx * yy), kNeighbour[k1][k2] ? 0.5 : 0.4)
                    << "set " << set << ", k " << k1 << "/" << k2;
            }
}

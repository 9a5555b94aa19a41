#pragma once

#include "resources/IrBankData.h"
#include "tests/bank/ThirdOctaves.h"

#include <array>

// Shared access to the linked bank and to its third-octave analysis, which is
// computed once for all tests of the executable.
namespace bank_test {

inline const double* table(int cabinet, int family, int microphone, int axis, int k)
{
    return irBankTables() + static_cast<long>(irBankTableIndex(cabinet, family, microphone, axis, k)) * kIrBankTableLength;
}

inline const Bands& bands(int cabinet, int family, int microphone, int axis, int k)
{
    static const std::array<Bands, kIrBankTableCount> all = [] {
        std::array<Bands, kIrBankTableCount> result{};
        for (int c = 1; c <= kIrBankCabinets; ++c)
            for (int f = 0; f < kIrBankFamilies; ++f)
                for (int m = 1; m <= kIrBankMicrophones; ++m)
                    for (int a = 1; a <= kIrBankAxes; ++a)
                        for (int k2 = 0; k2 < kIrBankPlacements; ++k2)
                            result[irBankTableIndex(c, f, m, a, k2)] =
                                analyse(table(c, f, m, a, k2), kIrBankTableLength, familyRate(f));
        return result;
    }();
    return all[irBankTableIndex(cabinet, family, microphone, axis, k)];
}

// Menu names, for failure messages.
inline const char* cabinetName(int cabinet)
{
    constexpr const char* names[] = {"Black Tolex (2 x 12)", "Red Tolex (1 x 12)", "Blonde Vintage (1 x 10)",
                                     "Iron Grill (1 x 10)", "Cloth Grill (1 x 8)"};
    return names[cabinet - 1];
}

inline const char* microphoneName(int microphone)
{
    constexpr const char* names[] = {"Dynamic 57", "Dynamic 441", "Condenser 1", "Ribbon 1"};
    return names[microphone - 1];
}

constexpr int kDynamic57 = 1;
constexpr int kDynamic441 = 2;
constexpr int kCondenser = 3;
constexpr int kRibbon = 4;
constexpr int kTwelveTwoCabinet = 1;     // "Black Tolex (2 x 12)"
constexpr int kOpenTwelveCabinet = 2;    // "Red Tolex (1 x 12)"
constexpr int kOpenTenInchCabinet = 3;   // "Blonde Vintage (1 x 10)"
constexpr int kClosedTenInchCabinet = 4; // "Iron Grill (1 x 10)"
constexpr int kEightInchCabinet = 5;     // "Cloth Grill (1 x 8)"

} // namespace bank_test

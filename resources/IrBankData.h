#pragma once

// The stored cabinet response bank: 480 responses of 8192 samples, built at
// compile time by the bank generator (tools/bankgen) and linked into the
// binary as read-only data. Reading it needs no initialisation, so it may be
// read from any thread at any time.
//
// Layout: the tables lie back to back in table-index order, where
//   index = 96·(cabinet − 1) + 48·family + 12·micSlot + 6·(axis − 1) + k
// cabinet 1..5, family 0 (recorded at 88.2 kHz) or 1 (96 kHz), micSlot the
// storage slot of microphone 1..4 (1 → 2, 2 → 1, 3 → 0, 4 → 3), axis 1..2 and
// k 0..5 the placement point (0, 1, 2: on the grille at radial positions 0,
// 0.5 and 1; 3, 4, 5: the same positions at a distance).

constexpr int kIrBankTableCount = 480;   // number of response tables
constexpr int kIrBankTableLength = 8192; // samples per table

constexpr int kIrBankCabinets = 5;    // cabinet numbers 1..5
constexpr int kIrBankMicrophones = 4; // microphone numbers 1..4
constexpr int kIrBankAxes = 2;        // axis numbers 1..2
constexpr int kIrBankPlacements = 6;  // placement points k = 0..5
constexpr int kIrBankFamilies = 2;    // 0 = 88.2 kHz, 1 = 96 kHz

// Storage slot of a microphone number 1..4.
constexpr int irBankMicSlot(int microphone)
{
    constexpr int slots[kIrBankMicrophones] = {2, 1, 0, 3};
    return slots[microphone - 1];
}

// Table index of one response; all arguments must lie in their ranges.
constexpr int irBankTableIndex(int cabinet, int family, int microphone, int axis, int k)
{
    return 96 * (cabinet - 1) + 48 * family + 12 * irBankMicSlot(microphone) + 6 * (axis - 1) + k;
}

// 480 × 8192 doubles in table-index order, read-only, 16-byte aligned.
const double* irBankTables();

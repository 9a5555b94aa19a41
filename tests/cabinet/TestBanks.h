#pragma once

#include "cabinet/IrBank.h"

#include <cmath>
#include <cstdint>
#include <vector>

// Response banks made by the tests themselves, in the stored bank's layout
// (480 tables × 8192 doubles, table-index order).
namespace TestBanks {

// Every table distinct: decaying pseudo-random noise seeded by the table
// index, so a wrong table or a wrong weight shows up at once.
inline std::vector<double> distinctNoise()
{
    std::vector<double> bank(std::size_t(IrBank::kTableCount) * IrBank::kTableLength);
    for (int t = 0; t < IrBank::kTableCount; ++t) {
        std::uint32_t state = 0x9E3779B9u * std::uint32_t(t + 1);
        double* table = bank.data() + std::size_t(t) * IrBank::kTableLength;
        for (int i = 0; i < IrBank::kTableLength; ++i) {
            state = state * 1664525u + 1013904223u;
            const double unit = double(state >> 8) / double(1u << 24) * 2.0 - 1.0;
            table[i] = 0.9 * unit * std::exp(-double(i) / 3000.0);
        }
    }
    return bank;
}

// Every table the same smooth, slowly decaying response: nearly all of its
// energy lies far below 20 kHz, so a decimation keeps its level.
inline std::vector<double> smoothDecay()
{
    std::vector<double> bank(std::size_t(IrBank::kTableCount) * IrBank::kTableLength);
    for (std::size_t t = 0; t < std::size_t(IrBank::kTableCount); ++t)
        for (int i = 0; i < IrBank::kTableLength; ++i)
            bank[t * IrBank::kTableLength + std::size_t(i)] = 0.9 * std::exp(-double(i) / 400.0);
    return bank;
}

} // namespace TestBanks

#pragma once

#include "cabinet/CabinetSlot.h"

#include <array>

// Access to the stored cabinet response bank: 480 tables of 8192 doubles in
// table-index order (see resources/IrBankData.h for the layout). The bank is
// passed as a plain pointer so that tests can hand in banks of their own; a
// null bank stands for an empty one (every response is silence).
namespace IrBank {

constexpr int kTableCount = 480;   // tables in the bank
constexpr int kTableLength = 8192; // samples per table
constexpr int kPlacements = 6;     // placement points per cabinet/microphone/axis
constexpr int kDefaultCode = 111;  // cabinet 1, microphone 1, axis 1

// The tables of one code: T[k] for placement point k (0..2 on the grille at
// radial positions 0, 0.5, 1; 3..5 the same at a distance).
using TableSet = std::array<const double*, kPlacements>;

// The bank linked into the library, or null when it was built without one.
const double* builtInBank() noexcept;

// The sample-rate family: 0 = responses recorded at 88.2 kHz, 1 = at 96 kHz.
// Family 0 below 46000 Hz and from 68000 up to 92000 Hz; family 1 otherwise.
int familyForRate(float rate) noexcept;

// True for the 40 codes that name a cabinet 1..5, microphone 1..4, axis 1..2.
bool isValidCode(int code) noexcept;

// The six tables of a code in one family; an invalid code selects those of
// code 111. All pointers are null for a null bank.
TableSet selectTables(const double* bank, int code, int family) noexcept;

// Fills slot.response (8192 samples) from the six tables of the slot's code,
// blended by its position and distance, and inverted when slot.invert is set.
// Allocates nothing.
void interpolateResponse(const double* bank, CabinetSlot& slot, int family) noexcept;

} // namespace IrBank

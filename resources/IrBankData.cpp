#include "resources/IrBankData.h"

#include <bit>

// The bank file holds little-endian doubles and is linked in unchanged.
static_assert(std::endian::native == std::endian::little, "the response bank is stored little-endian");
static_assert(sizeof(double) == 8, "the response bank holds 64-bit doubles");

// Defined by the assembler file that includes the generated bank file.
extern "C" const double selvarine_ir_bank_tables[];

const double* irBankTables()
{
    return selvarine_ir_bank_tables;
}

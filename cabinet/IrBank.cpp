#include "cabinet/IrBank.h"

#include "dsp/RateBand.h"
#include "resources/IrBankData.h"

#include <algorithm>
#include <cmath>

static_assert(IrBank::kTableCount == kIrBankTableCount && IrBank::kTableLength == kIrBankTableLength);
static_assert(IrBank::kTableLength == CabinetSlot::kResponseLength);

namespace IrBank {

const double* builtInBank() noexcept
{
#if defined(SELVARINE_HAVE_IRBANK)
    return irBankTables();
#else
    return nullptr;
#endif
}

int familyForRate(float rate) noexcept
{
    if (RateBand::below(rate, RateBand::kLimit44k1))
        return 0;
    if (RateBand::below(rate, RateBand::kLimit48k))
        return 1;
    if (RateBand::below(rate, RateBand::kLimit88k2))
        return 0;
    return 1;
}

bool isValidCode(int code) noexcept
{
    const int cabinet = code / 100;
    const int microphone = (code / 10) % 10;
    const int axis = code % 10;
    return code >= 111 && cabinet >= 1 && cabinet <= kIrBankCabinets && microphone >= 1
        && microphone <= kIrBankMicrophones && axis >= 1 && axis <= kIrBankAxes;
}

TableSet selectTables(const double* bank, int code, int family) noexcept
{
    TableSet tables{};
    if (bank == nullptr)
        return tables;
    if (!isValidCode(code))
        code = kDefaultCode;
    family = family != 0 ? 1 : 0;
    const int first = irBankTableIndex(code / 100, family, (code / 10) % 10, code % 10, 0);
    for (int k = 0; k < kPlacements; ++k)
        tables[std::size_t(k)] = bank + std::size_t(first + k) * std::size_t(kTableLength);
    return tables;
}

void interpolateResponse(const double* bank, CabinetSlot& slot, int family) noexcept
{
    double* out = slot.response.data();
    const TableSet t = selectTables(bank, slot.code(), family);
    if (t[0] == nullptr) {
        std::fill(out, out + kTableLength, 0.0);
        return;
    }

    // Radial coordinate: 0 at the centre of the position range, 1 at both
    // ends. The inner half blends points 0 and 1, the outer half 1 and 2.
    const float radial = std::fabs(2.0f * slot.position - 1.0f);
    const bool inner = radial < 0.5f;
    const float w = inner ? 2.0f * radial : 2.0f * radial - 1.0f;
    const double* nearLow = inner ? t[0] : t[1];
    const double* nearHigh = inner ? t[1] : t[2];
    const double* farLow = inner ? t[3] : t[4];
    const double* farHigh = inner ? t[4] : t[5];

    // Weights in single precision, widened; products and sums in double.
    const double wHigh = w;
    const double wLow = 1.0f - w;
    const double dFar = slot.distance;
    const double dNear = 1.0f - slot.distance;
    for (int i = 0; i < kTableLength; ++i) {
        const double nearValue = wHigh * nearHigh[i] + wLow * nearLow[i];
        const double farValue = wHigh * farHigh[i] + wLow * farLow[i];
        out[i] = dFar * farValue + dNear * nearValue;
    }
    if (slot.invert) {
        for (int i = 0; i < kTableLength; ++i)
            out[i] = -out[i];
    }
}

} // namespace IrBank

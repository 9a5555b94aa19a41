// Bank generator: synthesises the 480 cabinet responses from the cabinet
// model and writes them as the response bank file.
//
//   selvarine_bankgen <output file>

#include "resources/IrBankData.h"
#include "tools/bankgen/BankWriter.h"
#include "tools/bankgen/ResponseSynth.h"

#include <array>
#include <exception>
#include <iostream>

namespace {

// Recording rates of the two families.
constexpr std::array<double, kIrBankFamilies> kFamilyRates = {88200.0, 96000.0};
// Radial position of placement points k = 0..2 (and again for k = 3..5).
constexpr std::array<double, 3> kRadialPoints = {0.0, 0.5, 1.0};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output file>\n";
        return 2;
    }
    try {
        BankWriter writer(kIrBankTableCount, kIrBankTableLength);
        for (int family = 0; family < kIrBankFamilies; ++family) {
            const ResponseSynth synth(kFamilyRates[family]);
            for (int cabinet = 1; cabinet <= kIrBankCabinets; ++cabinet)
                for (int microphone = 1; microphone <= kIrBankMicrophones; ++microphone)
                    for (int axis = 1; axis <= kIrBankAxes; ++axis)
                        for (int k = 0; k < kIrBankPlacements; ++k) {
                            const Placement placement{cabinet, microphone, axis, kRadialPoints[k % 3], k / 3};
                            writer.set(irBankTableIndex(cabinet, family, microphone, axis, k),
                                       synth.build(placement, kIrBankTableLength));
                        }
        }
        writer.write(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "bank generator: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

// Doxaro: program contents replaced from a bank file.

#include <cstring>

#include "plugin/Doxaro.h"
#include "plugin/StateChunk.h"

void Doxaro::replacePrograms(const BankImage& image)
{
    const WriterScope scope(*this);
    for (int k = 0; k < kNumPrograms; ++k) {
        ProgramRecord& program = bank.programs[k];
        // The file's record, with this program's own path in place of whatever the file holds there.
        ProgramRecord incoming = image.programs[k];
        std::memcpy(incoming.irPath, program.irPath, sizeof incoming.irPath);
        std::memset(incoming.name + ProgramRecord::kMaxNameLength, 0, ProgramRecord::kNameSize - ProgramRecord::kMaxNameLength);
        StateChunk::sanitize(incoming, program);
        program = incoming;
    }
}

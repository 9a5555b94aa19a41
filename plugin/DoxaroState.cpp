// Doxaro: program contents replaced from a bank file.

#include "plugin/Doxaro.h"
#include "plugin/PresetFileFormat.h"

void Doxaro::replacePrograms(const BankImage& image)
{
    const WriterScope scope(*this);
    PresetFileFormat::mergeBank(image, bank);
    // The file's values are now the newest of the current program (the
    // caller applies them).
    const ProgramRecord& current = currentRecord();
    for (int i = 0; i < param::Count; ++i)
        requested[i].store(current.params[i], std::memory_order_release);
    programStateChanged();
}

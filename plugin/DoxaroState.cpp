// Doxaro: program contents replaced from a bank file.

#include "plugin/Doxaro.h"
#include "plugin/PresetFileFormat.h"

void Doxaro::replacePrograms(const BankImage& image)
{
    const WriterScope scope(*this);
    PresetFileFormat::mergeBank(image, bank);
}

#include "plugin/StateChunk.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void StateChunk::sanitize(ProgramRecord& incoming, const ProgramRecord& previous)
{
    // Only bytes that are wrong change, so a chunk this plug-in wrote comes
    // back byte for byte. The header becomes the current format's.
    std::memcpy(incoming.magic, kProgramMagic, sizeof incoming.magic);
    incoming.version = kFormatVersion;
    // A name keeps at most 24 characters and a path at most 259: each string
    // ends inside its field from here on, whatever the bytes were.
    if (std::memchr(incoming.name, '\0', ProgramRecord::kMaxNameLength + 1) == nullptr)
        incoming.name[ProgramRecord::kMaxNameLength] = '\0';
    if (std::memchr(incoming.irPath, '\0', ProgramRecord::kPathSize) == nullptr)
        incoming.irPath[ProgramRecord::kPathSize - 1] = '\0';
    for (int i = 0; i < param::Count; ++i) {
        const float v = incoming.params[i];
        if (!std::isfinite(v))
            incoming.params[i] = previous.params[i];
        else
            incoming.params[i] = std::clamp(v, 0.0f, 1.0f);
    }
}

bool StateChunk::restoreProgram(const void* data, int size, ProgramRecord& program)
{
    if (data == nullptr || size != kProgramSize)
        return false;
    ProgramRecord incoming;
    std::memcpy(&incoming, data, sizeof incoming);
    sanitize(incoming, program);
    program = incoming;
    return true;
}

bool StateChunk::restoreBank(const void* data, int size, BankImage& bank)
{
    if (data == nullptr || size != kBankSize)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        ProgramRecord incoming;
        std::memcpy(&incoming, bytes + offsetof(BankImage, programs) + std::size_t(k) * sizeof(ProgramRecord), sizeof incoming);
        sanitize(incoming, bank.programs[k]);
        bank.programs[k] = incoming;
    }
    std::memcpy(bank.magic, kBankMagic, sizeof bank.magic);
    bank.version = kFormatVersion;
    return true;
}

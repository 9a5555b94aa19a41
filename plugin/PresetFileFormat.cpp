#include "plugin/PresetFileFormat.h"

#include <cstring>

#include "plugin/StateChunk.h"

namespace {

// The 8-byte header: the magic, then a version that reads 1 (little-endian
// writer) or 256 (version 1 stored by a big-endian writer).
PresetFileFormat::Check checkHeader(const unsigned char* bytes, std::size_t size, const char (&magic)[6])
{
    if (bytes == nullptr || size < std::size_t(PresetFileFormat::kHeaderSize) || std::memcmp(bytes, magic, sizeof magic) != 0)
        return PresetFileFormat::Check::Broken;
    const int version = bytes[6] | (bytes[7] << 8);
    if (version != kFormatVersion && version != PresetFileFormat::kSwappedVersion)
        return PresetFileFormat::Check::Newer;
    return PresetFileFormat::Check::Valid;
}

} // namespace

PresetFileFormat::Check PresetFileFormat::readPreset(const unsigned char* bytes, std::size_t size, ProgramRecord& record)
{
    const Check header = checkHeader(bytes, size, kProgramMagic);
    if (header != Check::Valid)
        return header;
    // A valid header on a file that ends before its record: nothing to apply.
    if (size < sizeof record)
        return Check::Broken;
    std::memcpy(&record, bytes, sizeof record);
    return Check::Valid;
}

PresetFileFormat::Check PresetFileFormat::readBank(const unsigned char* bytes, std::size_t size, BankImage& image)
{
    const Check header = checkHeader(bytes, size, kBankMagic);
    if (header != Check::Valid)
        return header;
    if (size < sizeof image)
        return Check::Broken;
    std::memcpy(&image, bytes, sizeof image);
    return Check::Valid;
}

void PresetFileFormat::presetName(const ProgramRecord& record, char (&name)[ProgramRecord::kMaxNameLength + 1])
{
    std::memcpy(name, record.name, ProgramRecord::kMaxNameLength);
    name[ProgramRecord::kMaxNameLength] = '\0';
}

void PresetFileFormat::mergeBank(const BankImage& image, BankImage& bank)
{
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        ProgramRecord& program = bank.programs[k];
        // The file's record, with this program's own path in place of whatever the file holds there.
        ProgramRecord incoming = image.programs[k];
        std::memcpy(incoming.irPath, program.irPath, sizeof incoming.irPath);
        std::memset(incoming.name + ProgramRecord::kMaxNameLength, 0, ProgramRecord::kNameSize - ProgramRecord::kMaxNameLength);
        StateChunk::sanitize(incoming, program);
        program = incoming;
    }
}

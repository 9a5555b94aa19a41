#include "plugin/PresetFiles.h"

#include <cstring>
#include <fstream>
#include <memory>

#include "plugin/Doxaro.h"
#include "plugin/PresetFileFormat.h"
#include "plugin/UserMessages.h"

namespace {

// Reads up to `count` bytes from the start of the file; answers the number read.
std::size_t readFront(std::ifstream& file, void* destination, std::size_t count)
{
    file.clear();
    file.seekg(0);
    file.read(static_cast<char*>(destination), std::streamsize(count));
    const std::streamsize got = file.gcount();
    return got > 0 ? std::size_t(got) : 0;
}

// Writes `count` bytes, replacing the file; false when it cannot be opened or written.
bool writeWhole(const char* path, const void* data, std::size_t count)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(static_cast<const char*>(data), std::streamsize(count));
    file.close();
    return !file.fail();
}

} // namespace

void PresetFiles::nameFromPath(const char* path, char (&name)[ProgramRecord::kNameSize])
{
    std::memset(name, 0, sizeof name);
    if (path == nullptr)
        return;
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p)
        if (*p == '/' || *p == '\\')
            base = p + 1;
    std::size_t length = std::strlen(base);
    if (const char* dot = std::strrchr(base, '.'))
        length = std::size_t(dot - base);
    if (length > std::size_t(ProgramRecord::kMaxNameLength))
        length = ProgramRecord::kMaxNameLength;
    std::memcpy(name, base, length);
}

void PresetFiles::fileRecord(const ProgramRecord& source, ProgramRecord& record)
{
    std::memset(&record, 0, sizeof record);
    std::memcpy(record.magic, kProgramMagic, sizeof record.magic);
    record.version = kFormatVersion;
    std::size_t length = 0;
    while (length < std::size_t(ProgramRecord::kMaxNameLength) && source.name[length] != '\0')
        ++length;
    std::memcpy(record.name, source.name, length);
    std::memcpy(record.params, source.params, sizeof record.params);
    record.panelFlag = source.panelFlag;
    record.meterFlag = source.meterFlag;
}

PresetFiles::Result PresetFiles::savePreset(const char* path)
{
    if (path == nullptr)
        return Result::NotOpened;
    char name[ProgramRecord::kNameSize];
    nameFromPath(path, name);

    const ProgramRecord current = plugin_.programRecord(plugin_.getProgram());
    ProgramRecord record;
    fileRecord(current, record);
    std::memcpy(record.name, name, sizeof record.name);
    // The values the engine runs, as the host reads them.
    for (int i = 0; i < param::Count; ++i)
        record.params[i] = plugin_.getParameter(i);

    // The program takes the file's name only once the file holds it.
    if (!writeWhole(path, &record, sizeof record))
        return Result::NotOpened;
    plugin_.setProgramName(name);
    plugin_.updateDisplay();
    return Result::Done;
}

PresetFiles::Result PresetFiles::loadPreset(const char* path)
{
    if (path == nullptr)
        return Result::NotOpened;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Result::NotOpened;

    unsigned char bytes[sizeof(ProgramRecord)];
    const std::size_t got = readFront(file, bytes, sizeof bytes);
    file.close();
    ProgramRecord record;
    switch (PresetFileFormat::readPreset(bytes, got, record)) {
    case PresetFileFormat::Check::Broken:
        messages_.show(kPresetBroken);
        return Result::Rejected;
    case PresetFileFormat::Check::Newer:
        messages_.show(kPresetNewer);
        return Result::Rejected;
    case PresetFileFormat::Check::Valid:
        break;
    }

    char name[ProgramRecord::kMaxNameLength + 1];
    PresetFileFormat::presetName(record, name);
    plugin_.setProgramName(name);
    // Through the host's automation, so that it records the new values.
    for (int i = 0; i < param::Count; ++i)
        plugin_.setParameterAutomated(i, record.params[i]);
    plugin_.setProgramFlags(record.panelFlag, record.meterFlag);
    plugin_.updateDisplay();
    return Result::Done;
}

PresetFiles::Result PresetFiles::saveBank(const char* path)
{
    if (path == nullptr)
        return Result::NotOpened;
    auto image = std::make_unique<BankImage>();
    std::memset(image.get(), 0, sizeof(BankImage));
    std::memcpy(image->magic, kBankMagic, sizeof image->magic);
    image->version = kFormatVersion;
    for (int k = 0; k < BankImage::kPrograms; ++k)
        fileRecord(plugin_.programRecord(k), image->programs[k]);
    return writeWhole(path, image.get(), sizeof(BankImage)) ? Result::Done : Result::NotOpened;
}

PresetFiles::Result PresetFiles::loadBank(const char* path)
{
    if (path == nullptr)
        return Result::NotOpened;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Result::NotOpened;

    auto bytes = std::make_unique<unsigned char[]>(sizeof(BankImage));
    const std::size_t got = readFront(file, bytes.get(), sizeof(BankImage));
    file.close();
    auto image = std::make_unique<BankImage>();
    switch (PresetFileFormat::readBank(bytes.get(), got, *image)) {
    case PresetFileFormat::Check::Broken:
        messages_.show(kBankBroken);
        return Result::Rejected;
    case PresetFileFormat::Check::Newer:
        messages_.show(kBankNewer);
        return Result::Rejected;
    case PresetFileFormat::Check::Valid:
        break;
    }

    plugin_.replacePrograms(*image);

    // Re-apply the current program, telling the host of every value.
    const ProgramRecord current = plugin_.programRecord(plugin_.getProgram());
    for (int i = 0; i < param::Count; ++i)
        plugin_.setParameterAutomated(i, current.params[i]);
    plugin_.updateDisplay();
    return Result::Done;
}

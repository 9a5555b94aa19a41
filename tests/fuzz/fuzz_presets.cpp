// Preset and bank file bytes through the file parser alone (no plug-in, no
// file): the first byte picks preset (bit 0 clear) or bank; the rest is the
// file. A rejected file fills nothing; an accepted bank merged into the
// factory bank leaves every program safe and its response path as it was.
// Loading through files and the plug-in is driven by fuzz_plugin.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugin/PresetFileFormat.h"
#include "tests/fuzz/FuzzBank.h"
#include "tests/fuzz/FuzzSeeds.h"

namespace {

FuzzSeeds makeSeeds()
{
    const BankImage bank = factoryBank();
    BankImage swapped = bank;
    swapped.version = 256;
    BankImage newer = bank;
    newer.version = 2;
    ProgramRecord preset = bank.programs[2];
    ProgramRecord odd = bank.programs[6];
    odd.version = 256;
    odd.params[3] = __builtin_nanf("");
    std::memset(odd.name, 'n', sizeof odd.name);
    FuzzSeeds seeds{seedOf({0}, preset), seedOf({0}, odd), seedOf({1}, bank), seedOf({1}, swapped), seedOf({1}, newer)};
    seeds.push_back(seedOf({0}, bank)); // a bank offered as a preset
    seeds.push_back(std::vector<std::uint8_t>(seeds[0].begin(), seeds[0].begin() + 100)); // a preset that ends early
    seeds.push_back({1, 'B', 'D', 'X', 'V', '1', 0});                                       // a header that ends early
    return seeds;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    writeSeedsIfAsked(makeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const BankImage factory = factoryBank();
    static BankImage bank;
    static BankImage image;
    if (size == 0)
        return 0;
    const std::uint8_t* bytes = data + 1;
    const std::size_t length = size - 1;

    if ((data[0] & 1) == 0) {
        ProgramRecord record = factory.programs[0];
        const auto check = PresetFileFormat::readPreset(bytes, length, record);
        if (check != PresetFileFormat::Check::Valid) {
            if (std::memcmp(&record, &factory.programs[0], sizeof record) != 0)
                __builtin_trap();
            return 0;
        }
        if (length < sizeof record || std::memcmp(&record, bytes, sizeof record) != 0)
            __builtin_trap();
        char name[ProgramRecord::kMaxNameLength + 1];
        PresetFileFormat::presetName(record, name);
        if (strnlen(name, sizeof name) == sizeof name)
            __builtin_trap();
        return 0;
    }

    image = factory;
    const auto check = PresetFileFormat::readBank(bytes, length, image);
    if (check != PresetFileFormat::Check::Valid) {
        if (std::memcmp(&image, &factory, sizeof image) != 0)
            __builtin_trap();
        return 0;
    }
    if (length < sizeof image)
        __builtin_trap();
    bank = factory;
    PresetFileFormat::mergeBank(image, bank);
    if (std::memcmp(bank.magic, factory.magic, sizeof bank.magic + sizeof bank.version) != 0)
        __builtin_trap();
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        const ProgramRecord& r = bank.programs[k];
        if (!recordIsSafe(r) || std::memcmp(r.irPath, factory.programs[k].irPath, sizeof r.irPath) != 0 ||
            r.panelFlag != image.programs[k].panelFlag || r.meterFlag != image.programs[k].meterFlag)
            __builtin_trap();
    }
    return 0;
}

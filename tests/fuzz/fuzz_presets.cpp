// Preset and bank files against arbitrary contents; the first byte picks the
// loader. A rejected file must leave the programs exactly as they were.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "plugin/Doxaro.h"
#include "plugin/PresetFiles.h"
#include "plugin/UserMessages.h"
#include "tests/fuzz/FuzzFile.h"
#include "vst/VstInterface.h"

namespace {

vst::VstIntPtr host(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float)
{
    return opcode == vst::audioMasterVersion ? vst::kVstVersion : 0;
}

struct IgnoredMessages : UserMessages {
    void show(const char*) override {}
};

std::vector<unsigned char> bankBytes(Doxaro& plugin)
{
    void* data = nullptr;
    const vst::VstInt32 size = plugin.getChunk(&data, false);
    return std::vector<unsigned char>(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Doxaro* plugin = new Doxaro(&host);
    static IgnoredMessages messages;
    if (size == 0)
        return 0;
    PresetFiles files(*plugin, messages);
    const char* path = writeFuzzFile(data + 1, size - 1, ".preset");
    const auto before = bankBytes(*plugin);
    const auto result = (data[0] & 1) ? files.loadBank(path) : files.loadPreset(path);
    if (result != PresetFiles::Result::Done && bankBytes(*plugin) != before)
        __builtin_trap();
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        const ProgramRecord r = plugin->programRecord(k);
        if (strnlen(r.name, sizeof r.name) > std::size_t(ProgramRecord::kMaxNameLength))
            __builtin_trap();
    }
    return 0;
}

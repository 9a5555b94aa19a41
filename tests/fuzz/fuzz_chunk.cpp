// Host state chunks: the first byte picks single program or bank; the rest is
// the chunk, padded or cut to the chunk size (and also offered at its own
// size, which must be refused unless it fits).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "plugin/Doxaro.h"
#include "plugin/StateChunk.h"
#include "vst/VstInterface.h"

namespace {

vst::VstIntPtr host(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float)
{
    return opcode == vst::audioMasterVersion ? vst::kVstVersion : 0;
}

// Paths in a chunk name files the plug-in reads. Fuzzed paths are kept
// relative and unlikely, so that the run never opens a device or a pipe.
void defusePaths(std::uint8_t* record)
{
    char* path = reinterpret_cast<char*>(record + offsetof(ProgramRecord, irPath));
    if (std::strncmp(path, kNoResponsePath, sizeof kNoResponsePath) != 0)
        path[0] = '#';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Doxaro* plugin = new Doxaro(&host);
    if (size == 0)
        return 0;
    const bool single = (data[0] & 1) != 0;
    const std::size_t chunkSize = single ? sizeof(ProgramRecord) : sizeof(BankImage);
    std::vector<std::uint8_t> chunk(data + 1, data + size);

    if (chunk.size() != chunkSize && plugin->setChunk(chunk.data(), vst::VstInt32(chunk.size()), single) != 0)
        __builtin_trap();

    chunk.resize(chunkSize, 0);
    if (single) {
        defusePaths(chunk.data());
    } else {
        for (int k = 0; k < BankImage::kPrograms; ++k)
            defusePaths(chunk.data() + offsetof(BankImage, programs) + std::size_t(k) * sizeof(ProgramRecord));
    }
    if (plugin->setChunk(chunk.data(), vst::VstInt32(chunk.size()), single) != 1)
        __builtin_trap();

    // Every program is safe to read afterwards.
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        const ProgramRecord r = plugin->programRecord(k);
        if (strnlen(r.name, sizeof r.name) > std::size_t(ProgramRecord::kMaxNameLength) ||
            strnlen(r.irPath, sizeof r.irPath) == sizeof r.irPath)
            __builtin_trap();
        for (float v : r.params)
            if (!(v >= 0.0f && v <= 1.0f))
                __builtin_trap();
    }
    void* out = nullptr;
    plugin->getChunk(&out, single);

    float in[32] = {0.25f, -0.5f};
    float outL[32], outR[32];
    float* inputs[2] = {in, in};
    float* outputs[2] = {outL, outR};
    plugin->processReplacing(inputs, outputs, 32);
    return 0;
}

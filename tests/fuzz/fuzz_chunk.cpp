// Host state chunks through the chunk parser alone (no plug-in): the first
// byte picks single program (bit 0 set) or bank; the rest is the chunk,
// padded or cut to the chunk size (and also offered at its own size, which
// must be refused unless it fits). The whole plug-in is driven by fuzz_plugin.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "plugin/StateChunk.h"
#include "tests/fuzz/FuzzBank.h"
#include "tests/fuzz/FuzzSeeds.h"

namespace {

FuzzSeeds makeSeeds()
{
    const BankImage bank = factoryBank();
    FuzzSeeds seeds{seedOf({0}, bank)};
    for (int p : {0, 5, 23})
        seeds.push_back(seedOf({std::uint8_t(1 | p << 1)}, bank.programs[p]));
    // Fields a foreign or damaged chunk may hold.
    BankImage odd = bank;
    odd.version = 7;
    odd.programs[1].params[0] = -3.0f;
    odd.programs[3].params[4] = __builtin_nanf("");
    odd.programs[4].params[9] = __builtin_inff();
    std::memset(odd.programs[7].name, 'x', sizeof odd.programs[7].name);
    std::memset(odd.programs[9].irPath, 'y', sizeof odd.programs[9].irPath);
    odd.programs[11].magic[0] = 'Q';
    seeds.push_back(seedOf({0}, odd));
    seeds.push_back(seedOf({1}, odd.programs[7]));
    seeds.push_back({1, 'P', 'D', 'X'});
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
    static BankImage again;
    if (size == 0)
        return 0;
    const bool single = (data[0] & 1) != 0;
    const std::size_t chunkSize = single ? StateChunk::kProgramSize : StateChunk::kBankSize;
    const int program = data[0] >> 1 & 31;
    std::vector<std::uint8_t> chunk(data + 1, data + size);

    bank = factory;
    ProgramRecord& target = bank.programs[program % BankImage::kPrograms];
    const auto restore = [&](const std::vector<std::uint8_t>& bytes) {
        return single ? StateChunk::restoreProgram(bytes.data(), int(bytes.size()), target)
                      : StateChunk::restoreBank(bytes.data(), int(bytes.size()), bank);
    };

    // A chunk of the wrong size is refused and changes nothing.
    if (chunk.size() != chunkSize && (restore(chunk) || std::memcmp(&bank, &factory, sizeof bank) != 0))
        __builtin_trap();

    chunk.resize(chunkSize, 0);
    if (!restore(chunk))
        __builtin_trap();
    for (const ProgramRecord& r : bank.programs)
        if (!recordIsSafe(r) || std::memcmp(r.magic, kProgramMagic, sizeof r.magic) != 0 || r.version != kFormatVersion)
            __builtin_trap();

    // What was restored is what the plug-in would hand out again; restoring
    // that over itself changes no byte.
    std::vector<std::uint8_t> out(chunkSize);
    if (single)
        std::memcpy(out.data(), &target, chunkSize);
    else
        std::memcpy(out.data(), &bank, chunkSize);
    again = bank;
    if (!restore(out) || std::memcmp(&again, &bank, sizeof bank) != 0)
        __builtin_trap();
    return 0;
}

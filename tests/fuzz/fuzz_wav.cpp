// WAV reader and user response engine against arbitrary files. The last byte
// of the input also picks the host rate (one of every rate band) and the
// cabinet mode, so every engine setup meets every file.
//
// Built a second time with SELVARINE_FUZZ_READER_ONLY as fuzz_wav_reader: the
// reader alone, without the engine's response setup, runs many times faster
// and so reaches far more inputs in the same time.
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "cabinet/UserResponseEngine.h"
#include "cabinet/WavReader.h"
#include "tests/fuzz/FuzzFile.h"
#include "tests/fuzz/FuzzSeeds.h"
#include "tests/fuzz/FuzzWav.h"

namespace {

#ifndef SELVARINE_FUZZ_READER_ONLY
// One rate in each band of the rate tables, and the edges between them.
constexpr float kRates[] = {8000.0f, 44100.0f, 46000.0f, 48000.0f, 68000.0f, 88200.0f,
                            96000.0f, 136000.0f, 176400.0f, 192000.0f, 384000.0f};
#endif

FuzzSeeds makeSeeds()
{
    FuzzSeeds seeds;
    struct Format {
        std::uint16_t tag;
        int bits;
        std::uint16_t subFormat;
    };
    // Every format tag and sample size, understood or not: integer PCM,
    // IEEE float, extensible with either subformat, and float-tagged
    // integer sizes.
    const Format formats[] = {{1, 8, 1},  {1, 16, 1},      {1, 24, 1},      {1, 32, 1},      {3, 32, 3},
                              {3, 64, 3}, {0xFFFE, 16, 1}, {0xFFFE, 24, 1}, {0xFFFE, 32, 3}, {3, 16, 3},
                              {3, 24, 3}};
    std::uint8_t rate = 0;
    for (const Format& f : formats)
        for (int channels : {1, 2, 3})
            seeds.push_back(makeWav(f.tag, f.bits, channels, 44100, 48 + channels, 0, f.subFormat));
    // Past the reader's 12 KiB sample window, and past the engine's longest response.
    seeds.push_back(makeWav(1, 16, 2, 96000, 9000));
    seeds.push_back(makeWav(1, 24, 1, 48000, 9000));
    seeds.push_back(makeWav(3, 32, 2, 192000, 4000));
    // Tags beyond the tag scan's first 64 KiB block, and a "data" tag across its boundary.
    seeds.push_back(makeWav(1, 16, 1, 44100, 64, 70000));
    seeds.push_back(makeWav(1, 16, 2, 44100, 64, 65536 - 44 - 2));
    // The last byte picks the rate: spread the seeds over the bands.
    for (auto& seed : seeds)
        seed.back() = rate++;
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
    const char* path = writeFuzzFile(data, size, ".wav");

    WavInfo info;
    if (readWav(path, info, UserResponseEngine::kLargeLength)) {
        // The reader holds what it promised and nothing more.
        if (info.storedChannels < 1 || info.storedChannels > 2 || info.storedFrames > UserResponseEngine::kLargeLength ||
            info.samples.size() != std::size_t(info.storedFrames * info.storedChannels))
            __builtin_trap();
    }

#ifndef SELVARINE_FUZZ_READER_ONLY
    static UserResponseEngine* engine = new UserResponseEngine();
    // Through the engine at the chosen rate and mode, then a few samples.
    const std::uint8_t pick = size > 0 ? data[size - 1] : 0;
    engine->setSampleRate(kRates[pick % std::size(kRates)]);
    engine->setStereo(pick / std::size(kRates) % 2 != 0);
    engine->loadUserResponse(path);
    double left = 1.0, right = -1.0;
    for (int n = 0; n < 16; ++n) {
        engine->processStereo(left, right);
        left = right = 0.0;
    }
#endif
    return 0;
}

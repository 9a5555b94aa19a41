// WAV reader and user response engine against arbitrary files.
#include <cstddef>
#include <cstdint>

#include "cabinet/UserResponseEngine.h"
#include "cabinet/WavReader.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static UserResponseEngine* engine = new UserResponseEngine();
    const char* path = writeFuzzFile(data, size, ".wav");

    WavInfo info;
    if (readWav(path, info, UserResponseEngine::kLargeLength)) {
        // The reader holds what it promised and nothing more.
        if (info.storedChannels < 1 || info.storedChannels > 2 || info.storedFrames > UserResponseEngine::kLargeLength ||
            info.samples.size() != std::size_t(info.storedFrames * info.storedChannels))
            __builtin_trap();
    }

    // Through the engine in both modes and both sizes, then a few samples.
    engine->setSampleRate(size % 2 ? 96000.0f : 44100.0f);
    engine->setStereo(size % 3 == 0);
    engine->loadUserResponse(path);
    double left = 1.0, right = -1.0;
    for (int n = 0; n < 16; ++n) {
        engine->processStereo(left, right);
        left = right = 0.0;
    }
    return 0;
}

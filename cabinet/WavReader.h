#pragma once

#include <cstdint>
#include <vector>

// What readWav() learns from a RIFF/WAVE file: the three headers as they
// stand in the file (decoded to host byte order) and the samples converted to
// double. Integer PCM maps to -1..1; 32-bit float data is taken unscaled, so
// values beyond +-1 survive, but NaN and infinities read as 0.
//
// The samples hold at most two channels: a file with more channels keeps the
// first two of every frame. Only the frames the caller asked for are held, so
// a header that claims gigabytes costs no memory.
struct WavInfo {
    // RIFF header (12 bytes at offset 0)
    char riffId[4] = {};           // "RIFF"
    std::uint32_t riffSize = 0;    // bytes after this field (not used)
    char waveId[4] = {};           // "WAVE"

    // Format chunk (24 bytes at the first "fmt " tag)
    char fmtId[4] = {};            // "fmt "
    std::uint32_t fmtSize = 0;     // chunk size (not used)
    std::uint16_t formatTag = 0;   // 1 = integer PCM, 3 = IEEE float
    std::uint16_t channels = 0;    // channels per frame in the file
    std::uint32_t sampleRate = 0;  // Hz (not used: responses run at the host rate)
    std::uint32_t byteRate = 0;    // bytes per second (not used)
    std::uint16_t blockAlign = 0;  // bytes per frame, as declared
    std::uint16_t bitsPerSample = 0; // 16, 24 or 32

    // Data chunk header (8 bytes at the first "data" tag)
    char dataId[4] = {};           // "data"
    std::uint32_t dataSize = 0;    // declared bytes of sample data

    bool loaded = false;           // true when the samples below are valid
    std::int64_t sampleCount = 0;  // declared samples over all channels: (dataSize / blockAlign) * channels
    std::int64_t frameCount = 0;   // declared frames: dataSize / blockAlign
    int storedChannels = 0;        // channels held in `samples`: 1, or 2 for any wider file
    std::int64_t storedFrames = 0; // frames held in `samples`: min(frameCount, the caller's limit)
    std::vector<double> samples;   // storedFrames * storedChannels values, interleaved; declared samples
                                   // the file does not actually contain read as 0
};

// Reads a RIFF/WAVE impulse-response file (the loading thread; the only I/O is
// reading the file). Integer PCM of 16, 24 or 32 bits and 32-bit float are
// understood; anything else fails. The "fmt " and "data" chunks are found by
// a byte scan for their tags rather than by following chunk sizes.
//
// At most `maxFrames` frames are converted and held. If `samples` already has
// the capacity for them (an owner that reserves at construction), nothing is
// allocated. On failure `loaded` is false and `samples` is empty. Never throws.
bool readWav(const char* path, WavInfo& info, std::int64_t maxFrames);

#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// Writes a RIFF/WAVE image: `frames` frames of a decaying tone in the given
// format tag and sample size, with `padding` bytes of an unknown chunk
// before "data" (so the tags can sit past any scan block). Format tag 0xFFFE
// (extensible) carries the 22 bytes of its extension with `subFormat` as the
// subformat's first two bytes.
inline std::vector<std::uint8_t> makeWav(std::uint16_t tag, int bits, int channels, std::uint32_t rate, int frames,
                                         std::uint32_t padding = 0, std::uint16_t subFormat = 1)
{
    std::vector<std::uint8_t> out;
    const auto put = [&out](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(std::uint8_t(value >> (8 * i)));
    };
    const auto tagText = [&out](const char* text) { out.insert(out.end(), text, text + 4); };
    const int bytesPerSample = bits / 8;
    const bool extensible = tag == 0xFFFE;
    const std::uint32_t dataBytes = std::uint32_t(frames * channels * bytesPerSample);

    tagText("RIFF");
    put(0, 4); // patched below
    tagText("WAVE");
    tagText("fmt ");
    put(extensible ? 40 : 16, 4);
    put(tag, 2);
    put(std::uint32_t(channels), 2);
    put(rate, 4);
    put(rate * std::uint32_t(channels * bytesPerSample), 4);
    put(std::uint32_t(channels * bytesPerSample), 2);
    put(std::uint32_t(bits), 2);
    if (extensible) {
        put(22, 2);
        put(std::uint32_t(bits), 2);
        put(channels == 1 ? 4 : 3, 4);
        put(subFormat, 2);
        static const std::uint8_t guidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        out.insert(out.end(), guidTail, guidTail + sizeof guidTail);
    }
    if (padding > 0) {
        tagText("junk");
        put(padding, 4);
        out.insert(out.end(), padding, 0x20);
    }
    tagText("data");
    put(dataBytes, 4);
    for (int n = 0; n < frames; ++n) {
        for (int c = 0; c < channels; ++c) {
            const double v = 0.9 * std::exp(-n / 40.0) * std::cos(0.3 * n + c);
            const bool isFloat = tag == 3 || (extensible && subFormat == 3);
            if (isFloat && bits == 32) {
                float f = float(v);
                std::uint32_t u;
                std::memcpy(&u, &f, 4);
                put(u, 4);
            } else if (isFloat && bits == 64) {
                std::uint64_t u;
                std::memcpy(&u, &v, 8);
                put(u, 8);
            } else if (bits == 8) {
                put(std::uint8_t(128 + std::lround(v * 127)), 1);
            } else {
                put(std::uint64_t(std::llround(v * double((1LL << (bits - 1)) - 1))), bytesPerSample);
            }
        }
    }
    const std::uint32_t riffSize = std::uint32_t(out.size() - 8);
    std::memcpy(out.data() + 4, &riffSize, 4);
    return out;
}

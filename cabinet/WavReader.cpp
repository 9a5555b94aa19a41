#include "cabinet/WavReader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <new>

namespace {

constexpr std::int64_t kRiffHeaderBytes = 12;
constexpr std::int64_t kFormatChunkBytes = 24;
constexpr std::int64_t kDataHeaderBytes = 8;
constexpr std::size_t kTagBytes = 4;
constexpr std::size_t kScanBlockBytes = 64 * 1024; // tag scan reads the file in blocks of this size
constexpr std::size_t kWindowBytes = 12 * 1024;    // sample reads; a multiple of every frame size of 1 or 2 channels

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;

// Full-scale divisors: negative values divide by 2^(n-1), positive ones by 2^(n-1) - 1,
// so both ends of the integer range land exactly on -1 and +1.
constexpr double kNegative16 = 32768.0;
constexpr double kPositive16 = 32767.0;
constexpr double kNegative24 = 8388608.0;
constexpr double kPositive24 = 8388607.0;
constexpr double kNegative32 = 2147483648.0;
constexpr double kPositive32 = 2147483647.0;

// Little-endian fields, assembled byte by byte so the result is the same on any host.
std::uint16_t le16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t le32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

double scaled(std::int32_t s, double negative, double positive) { return s <= 0 ? s / negative : s / positive; }

// One sample of `bytes` bytes (2, 3 or 4) in the file's encoding, as a double.
double decodeSample(const unsigned char* p, int bytes, bool isFloat)
{
    switch (bytes) {
    case 2:
        return scaled(std::int16_t(le16(p)), kNegative16, kPositive16);
    case 3: {
        // Sign-extend the 24-bit two's-complement value through the top byte.
        const std::int32_t s = std::int32_t((std::uint32_t(p[0]) << 8) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 24)) >> 8;
        return scaled(s, kNegative24, kPositive24);
    }
    default:
        if (isFloat) {
            // A NaN or infinity in the response would turn the whole output
            // into NaN; such samples read as silence.
            const float x = std::bit_cast<float>(le32(p));
            return std::isfinite(x) ? double(x) : 0.0;
        }
        return scaled(std::int32_t(le32(p)), kNegative32, kPositive32);
    }
}

// The input file with positioned reads. A short read (end of file) is not an
// error: the caller learns how many bytes were there.
class InputFile {
public:
    explicit InputFile(const char* path) : stream_(path, std::ios::binary)
    {
        if (!stream_)
            return;
        stream_.seekg(0, std::ios::end);
        const std::streamoff end = stream_.tellg();
        size_ = end > 0 ? std::int64_t(end) : 0;
    }

    std::int64_t size() const { return size_; }

    std::size_t readAt(std::int64_t offset, unsigned char* destination, std::size_t count)
    {
        if (offset < 0 || offset >= size_)
            return 0;
        stream_.clear();
        stream_.seekg(std::streamoff(offset));
        stream_.read(reinterpret_cast<char*>(destination), std::streamsize(count));
        const std::streamsize got = stream_.gcount();
        return got > 0 ? std::size_t(got) : 0;
    }

    bool readExactly(std::int64_t offset, unsigned char* destination, std::size_t count)
    {
        return readAt(offset, destination, count) == count;
    }

private:
    std::ifstream stream_; // the open file, binary
    std::int64_t size_ = 0; // bytes in the file; 0 when it could not be opened
};

// Positions of the first "fmt " and "data" tags, found by a scan that
// advances one byte at a time and ignores chunk sizes.
struct TagPositions {
    std::int64_t format = -1; // offset of "fmt ", -1 while not seen
    std::int64_t data = -1;   // offset of "data", -1 while not seen
};

// Fails on end of file without both tags, and on a tag that repeats before
// the other one is found: a second "fmt " ahead of any "data" leaves it
// unclear which format describes the data, so such a file is rejected.
bool scanForTags(InputFile& file, TagPositions& found)
{
    unsigned char block[kScanBlockBytes + kTagBytes - 1];
    for (std::int64_t base = 0; base < file.size(); base += std::int64_t(kScanBlockBytes)) {
        const std::size_t got = file.readAt(base, block, sizeof block);
        if (got < kTagBytes)
            break;
        const std::size_t last = std::min(kScanBlockBytes, got - kTagBytes + 1);
        for (std::size_t i = 0; i < last; ++i) {
            // The first byte rules out almost every position before a
            // whole comparison is needed.
            std::int64_t* slot = nullptr;
            if (block[i] == 'f' && std::memcmp(block + i, "fmt ", kTagBytes) == 0)
                slot = &found.format;
            else if (block[i] == 'd' && std::memcmp(block + i, "data", kTagBytes) == 0)
                slot = &found.data;
            else
                continue;
            if (*slot >= 0)
                return false;
            *slot = base + std::int64_t(i);
            if (found.format >= 0 && found.data >= 0)
                return true;
        }
    }
    return false;
}

// Fills the three headers; `dataStart` receives the offset of the first sample.
bool readHeaders(InputFile& file, WavInfo& info, std::int64_t& dataStart)
{
    unsigned char riff[kRiffHeaderBytes];
    if (!file.readExactly(0, riff, sizeof riff) || std::memcmp(riff, "RIFF", kTagBytes) != 0 ||
        std::memcmp(riff + 8, "WAVE", kTagBytes) != 0)
        return false;

    TagPositions tags;
    if (!scanForTags(file, tags))
        return false;

    unsigned char format[kFormatChunkBytes];
    unsigned char data[kDataHeaderBytes];
    if (!file.readExactly(tags.format, format, sizeof format) || !file.readExactly(tags.data, data, sizeof data))
        return false;

    std::memcpy(info.riffId, riff, 4);
    info.riffSize = le32(riff + 4);
    std::memcpy(info.waveId, riff + 8, 4);

    std::memcpy(info.fmtId, format, 4);
    info.fmtSize = le32(format + 4);
    info.formatTag = le16(format + 8);
    info.channels = le16(format + 10);
    info.sampleRate = le32(format + 12);
    info.byteRate = le32(format + 16);
    info.blockAlign = le16(format + 20);
    info.bitsPerSample = le16(format + 22);

    std::memcpy(info.dataId, data, 4);
    info.dataSize = le32(data + 4);
    dataStart = tags.data + kDataHeaderBytes;
    return true;
}

// Converts the stored frames. Frame f, channel c is sample f * channels + c
// of the data, each sample bitsPerSample / 8 bytes; a data chunk that ends
// early (or a file cut short) leaves the missing samples at 0.
void readSamples(InputFile& file, std::int64_t dataStart, WavInfo& info)
{
    const int bytes = info.bitsPerSample / 8;
    const bool isFloat = info.formatTag == kFormatFloat && bytes == 4;
    const std::int64_t stride = std::int64_t(info.channels) * bytes;
    const std::size_t wanted = std::size_t(info.storedChannels * bytes);
    // Wide files are read frame by frame so that skipped channels cost no reading.
    const std::size_t refill = stride <= std::int64_t(kWindowBytes / 2) ? kWindowBytes : wanted;

    unsigned char window[kWindowBytes];
    std::int64_t windowStart = 0; // file offset of window[0]
    std::int64_t windowEnd = 0;   // file offset one past the last valid byte
    double* out = info.samples.data();
    for (std::int64_t f = 0; f < info.storedFrames; ++f, out += info.storedChannels) {
        const std::int64_t offset = dataStart + f * stride;
        if (offset < windowStart || offset + std::int64_t(wanted) > windowEnd) {
            windowStart = offset;
            windowEnd = offset + std::int64_t(file.readAt(offset, window, refill));
            if (windowEnd == windowStart)
                return;
        }
        const std::int64_t available = windowEnd - offset;
        const unsigned char* p = window + (offset - windowStart);
        for (int c = 0; c < info.storedChannels && (c + 1) * bytes <= available; ++c)
            out[c] = decodeSample(p + c * bytes, bytes, isFloat);
    }
}

bool readWavUnchecked(const char* path, WavInfo& info, std::int64_t maxFrames)
{
    if (path == nullptr)
        return false;
    InputFile file(path);
    std::int64_t dataStart = 0;
    if (file.size() == 0 || !readHeaders(file, info, dataStart))
        return false;

    if (info.formatTag != kFormatPcm && info.formatTag != kFormatFloat)
        return false;
    if (info.blockAlign == 0) // the frame count would divide by zero
        return false;
    if (info.bitsPerSample != 16 && info.bitsPerSample != 24 && info.bitsPerSample != 32)
        return false;

    info.frameCount = std::int64_t(info.dataSize / info.blockAlign);
    info.sampleCount = info.frameCount * info.channels;
    if (info.sampleCount == 0)
        return false;

    info.storedChannels = std::min<int>(info.channels, 2);
    info.storedFrames = std::min(info.frameCount, std::max<std::int64_t>(maxFrames, 0));
    info.samples.assign(std::size_t(info.storedFrames * info.storedChannels), 0.0);
    readSamples(file, dataStart, info);
    return true;
}

} // namespace

bool readWav(const char* path, WavInfo& info, std::int64_t maxFrames)
{
    info.loaded = false;
    info.samples.clear();
    info.sampleCount = info.frameCount = info.storedFrames = 0;
    info.storedChannels = 0;
    bool ok = false;
    try {
        ok = readWavUnchecked(path, info, maxFrames);
    } catch (...) {
        // Only allocation can throw here (a caller that did not reserve);
        // the file is then treated as unusable.
        ok = false;
    }
    if (!ok) {
        info.samples.clear();
        info.sampleCount = info.frameCount = info.storedFrames = 0;
        info.storedChannels = 0;
        return false;
    }
    info.loaded = true;
    return true;
}

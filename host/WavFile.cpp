#include "host/WavFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <vector>

namespace host {

namespace {

constexpr std::uint16_t kTagPcm = 0x0001;        // WAVE_FORMAT_PCM
constexpr std::uint16_t kTagFloat = 0x0003;      // WAVE_FORMAT_IEEE_FLOAT
constexpr std::uint16_t kTagExtensible = 0xFFFE; // WAVE_FORMAT_EXTENSIBLE

// An extensible format chunk names its encoding by a GUID whose first two
// bytes are the plain format tag; the other fourteen are the same for every
// tag (KSDATAFORMAT_SUBTYPE_PCM, ..._IEEE_FLOAT).
constexpr unsigned char kSubformatGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                  0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr std::size_t kPlainFormatSize = 16;      // bytes of the common format fields
constexpr std::size_t kExtensibleFormatSize = 40; // ... with the extension that names the subformat
constexpr std::size_t kIoBlockBytes = 1 << 16;    // bytes converted per read or write call

std::uint16_t le16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void putLe16(std::vector<unsigned char>& out, std::uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void putLe32(std::vector<unsigned char>& out, std::uint32_t value)
{
    putLe16(out, value & 0xFFFF);
    putLe16(out, value >> 16);
}

void putTag(std::vector<unsigned char>& out, const char (&tag)[5])
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(tag[i]));
}

int bytesPerSample(WavEncoding encoding)
{
    switch (encoding) {
    case WavEncoding::Pcm16:
        return 2;
    case WavEncoding::Pcm24:
        return 3;
    case WavEncoding::Pcm32:
    case WavEncoding::Float32:
        break;
    }
    return 4;
}

// One sample of the data chunk as a double.
double decodeSample(const unsigned char* p, WavEncoding encoding)
{
    switch (encoding) {
    case WavEncoding::Pcm16:
        return static_cast<std::int16_t>(le16(p)) / 32768.0;
    case WavEncoding::Pcm24: {
        std::int32_t value = static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
        if (value & 0x800000)
            value -= 0x1000000;
        return value / 8388608.0;
    }
    case WavEncoding::Pcm32:
        return static_cast<std::int32_t>(le32(p)) / 2147483648.0;
    case WavEncoding::Float32:
        break;
    }
    return std::bit_cast<float>(le32(p));
}

// A file opened for reading at explicit offsets.
class ByteSource {
public:
    explicit ByteSource(const std::string& path) : stream(path, std::ios::binary)
    {
        if (stream) {
            stream.seekg(0, std::ios::end);
            const std::streamoff end = stream.tellg();
            length = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        }
    }

    bool isOpen() const { return static_cast<bool>(stream); }
    std::uint64_t size() const { return length; }

    // Reads exactly `count` bytes at `offset`; false when they are not all there.
    bool readAt(std::uint64_t offset, void* destination, std::size_t count)
    {
        if (offset > length || count > length - offset)
            return false;
        stream.clear();
        stream.seekg(static_cast<std::streamoff>(offset));
        stream.read(static_cast<char*>(destination), static_cast<std::streamsize>(count));
        return stream.gcount() == static_cast<std::streamsize>(count);
    }

private:
    std::ifstream stream;     // the file, binary
    std::uint64_t length = 0; // its size in bytes
};

// The fields of the format chunk that decide how the data chunk is read.
struct Layout {
    WavEncoding encoding = WavEncoding::Pcm16;
    bool extensible = false;
    int channels = 0;
    std::uint32_t sampleRate = 0;
    int blockAlign = 0; // bytes per frame
};

// Checks the format chunk's body (`size` bytes, at most kExtensibleFormatSize
// of them present in `f`). Returns an empty string or the reason to refuse.
std::string parseFormat(const unsigned char* f, std::uint32_t size, Layout& layout)
{
    std::uint16_t tag = le16(f);
    const std::uint16_t channels = le16(f + 2);
    const std::uint32_t sampleRate = le32(f + 4);
    const std::uint16_t blockAlign = le16(f + 12);
    const std::uint16_t bits = le16(f + 14);

    if (tag == kTagExtensible) {
        if (size < kExtensibleFormatSize || le16(f + 16) < kExtensibleFormatSize - 18)
            return "its extensible format chunk is too short";
        if (std::memcmp(f + 26, kSubformatGuidTail, sizeof kSubformatGuidTail) != 0)
            return "its extensible format chunk names an unknown subformat";
        tag = le16(f + 24);
        layout.extensible = true;
    }

    if (tag == kTagPcm) {
        if (bits == 16)
            layout.encoding = WavEncoding::Pcm16;
        else if (bits == 24)
            layout.encoding = WavEncoding::Pcm24;
        else if (bits == 32)
            layout.encoding = WavEncoding::Pcm32;
        else
            return "it holds " + std::to_string(bits) + "-bit integer samples (16, 24 and 32 bits are supported)";
    } else if (tag == kTagFloat) {
        if (bits != 32)
            return "it holds " + std::to_string(bits) + "-bit float samples (32 bits are supported)";
        layout.encoding = WavEncoding::Float32;
    } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(tag));
        return std::string("its sample format ") + hex + " is neither integer PCM nor float";
    }

    if (channels == 0 || channels > kMaxWavChannels)
        return "it declares " + std::to_string(channels) + " channels (1 to " + std::to_string(kMaxWavChannels) +
               " are supported)";
    if (sampleRate == 0)
        return "it declares a sample rate of 0 Hz";
    const int frameBytes = channels * bytesPerSample(layout.encoding);
    if (blockAlign != frameBytes)
        return "its frame size of " + std::to_string(blockAlign) + " bytes does not fit " +
               std::to_string(channels) + " channels of " + std::to_string(bits) + " bits";

    layout.channels = channels;
    layout.sampleRate = sampleRate;
    layout.blockAlign = frameBytes;
    return {};
}

// Where the samples of a parsed file are.
struct DataChunk {
    Layout layout;
    std::uint64_t offset = 0;         // of the first sample byte
    std::uint64_t frames = 0;         // whole frames present in the file
    std::uint64_t declaredFrames = 0; // frames the chunk's size announces
};

// Opens `path` into `file` and finds its format and data chunks; returns an
// empty string or the reason the file cannot be read.
std::string openWav(const std::string& path, std::unique_ptr<ByteSource>& file, DataChunk& chunk)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return "it is a folder";
    errno = 0;
    file = std::make_unique<ByteSource>(path);
    if (!file->isOpen()) {
        const int cause = errno;
        return cause != 0 ? std::string(std::strerror(cause)) : std::string("it cannot be opened");
    }

    unsigned char riff[12];
    if (!file->readAt(0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return "it is not a RIFF/WAVE file (this build reads WAV files only)";

    // Walk the chunks by their sizes until both the format and the data are
    // known. The RIFF size field is not trusted; the file's length is.
    Layout layout;
    bool haveFormat = false;
    bool haveData = false;
    std::uint64_t dataOffset = 0;
    std::uint64_t dataBytes = 0;
    std::uint64_t declaredDataBytes = 0;
    std::uint64_t position = sizeof riff;
    while (!(haveFormat && haveData)) {
        unsigned char header[8];
        if (!file->readAt(position, header, sizeof header))
            break;
        const std::uint32_t bodySize = le32(header + 4);
        const std::uint64_t body = position + sizeof header;
        const std::uint64_t available = file->size() - body;

        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (haveFormat)
                return "it has two format chunks";
            if (bodySize < kPlainFormatSize)
                return "its format chunk is too short";
            if (bodySize > available)
                return "its format chunk runs past the end of the file";
            unsigned char format[kExtensibleFormatSize] = {};
            if (!file->readAt(body, format, std::min<std::size_t>(bodySize, sizeof format)))
                return "its format chunk cannot be read";
            std::string reason = parseFormat(format, bodySize, layout);
            if (!reason.empty())
                return reason;
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (haveData)
                return "it has two data chunks";
            haveData = true;
            dataOffset = body;
            declaredDataBytes = bodySize;
            dataBytes = std::min<std::uint64_t>(bodySize, available);
            if (bodySize > available)
                break; // a cut-off file (or a streaming writer's placeholder size): nothing follows
        }
        // Chunks start on even offsets; an odd-sized body is followed by a pad byte.
        position = body + bodySize + (bodySize & 1u);
    }
    if (!haveFormat)
        return "it has no format chunk before the end of the file";
    if (!haveData)
        return "it has no data chunk";

    chunk.layout = layout;
    chunk.offset = dataOffset;
    chunk.frames = dataBytes / static_cast<std::uint64_t>(layout.blockAlign);
    chunk.declaredFrames = declaredDataBytes / static_cast<std::uint64_t>(layout.blockAlign);
    return {};
}

// `x` as an integer sample of `bits` bits: scaled by 2^(bits-1), rounded to
// nearest, clipped to the integer range; NaN gives 0.
std::int32_t quantise(double x, int bits)
{
    if (std::isnan(x))
        return 0;
    const double scale = std::ldexp(1.0, bits - 1);
    const double top = scale - 1.0;
    const double scaled = x * scale;
    if (scaled >= top)
        return static_cast<std::int32_t>(top);
    if (scaled <= -scale)
        return static_cast<std::int32_t>(-scale);
    return static_cast<std::int32_t>(std::llrint(scaled));
}

// Appends one sample in the file's encoding.
void encodeSample(std::vector<unsigned char>& out, double x, SampleEncoding encoding)
{
    switch (encoding) {
    case SampleEncoding::Pcm16:
        putLe16(out, static_cast<std::uint32_t>(quantise(x, 16)) & 0xFFFF);
        return;
    case SampleEncoding::Pcm24: {
        const auto value = static_cast<std::uint32_t>(quantise(x, 24));
        out.push_back(static_cast<unsigned char>(value & 0xFF));
        out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
        out.push_back(static_cast<unsigned char>((value >> 16) & 0xFF));
        return;
    }
    case SampleEncoding::Float32:
        break;
    }
    // Beyond the float range the sample becomes an infinity of its sign (the
    // conversion itself would be undefined there).
    constexpr double kLargest = std::numeric_limits<float>::max();
    float value = 0.0f;
    if (std::isfinite(x) && std::fabs(x) > kLargest)
        value = x > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    else
        value = static_cast<float>(x);
    putLe32(out, std::bit_cast<std::uint32_t>(value));
}

} // namespace

struct WavReader::State {
    std::unique_ptr<ByteSource> file;
    DataChunk chunk;
    std::uint64_t position = 0;      // frames read so far
    std::vector<unsigned char> bytes; // one block of raw samples
};

WavReader::WavReader() = default;
WavReader::~WavReader() = default;

bool WavReader::open(const std::string& path, std::string& error)
{
    auto opened = std::make_unique<State>();
    const std::string reason = openWav(path, opened->file, opened->chunk);
    if (!reason.empty()) {
        error = "cannot read audio file '" + path + "': " + reason;
        return false;
    }
    state = std::move(opened);
    return true;
}

int WavReader::channels() const
{
    return state ? state->chunk.layout.channels : 0;
}

double WavReader::sampleRate() const
{
    return state ? state->chunk.layout.sampleRate : 0.0;
}

std::uint64_t WavReader::frames() const
{
    return state ? state->chunk.frames : 0;
}

WavFormatInfo WavReader::format() const
{
    WavFormatInfo info;
    if (state) {
        info.encoding = state->chunk.layout.encoding;
        info.extensible = state->chunk.layout.extensible;
        info.declaredFrames = state->chunk.declaredFrames;
    }
    return info;
}

std::size_t WavReader::read(double* interleaved, std::size_t count, bool& failed)
{
    failed = false;
    if (!state)
        return 0;
    State& s = *state;
    const Layout& layout = s.chunk.layout;
    const auto frameBytes = static_cast<std::uint64_t>(layout.blockAlign);
    const int sampleBytes = bytesPerSample(layout.encoding);
    const auto channelCount = static_cast<std::size_t>(layout.channels);
    const std::uint64_t blockFrames = std::max<std::uint64_t>(1, kIoBlockBytes / frameBytes);
    const std::uint64_t wanted = std::min<std::uint64_t>(count, s.chunk.frames - s.position);
    for (std::uint64_t done = 0; done < wanted;) {
        const std::uint64_t n = std::min(blockFrames, wanted - done);
        s.bytes.resize(static_cast<std::size_t>(n * frameBytes));
        if (!s.file->readAt(s.chunk.offset + s.position * frameBytes, s.bytes.data(), s.bytes.size())) {
            failed = true;
            return static_cast<std::size_t>(done);
        }
        const unsigned char* p = s.bytes.data();
        double* out = interleaved + done * channelCount;
        for (std::uint64_t i = 0; i < n * channelCount; ++i, p += sampleBytes)
            out[i] = decodeSample(p, layout.encoding);
        done += n;
        s.position += n;
    }
    return static_cast<std::size_t>(wanted);
}

bool readWavFile(const std::string& path, AudioBuffer& buffer, std::string& error, WavFormatInfo* info)
{
    WavReader reader;
    if (!reader.open(path, error))
        return false;
    // The frame count is bounded by the file's real length, so this is no
    // larger than a few times the file.
    const auto frames = static_cast<std::size_t>(reader.frames());
    const auto channels = static_cast<std::size_t>(reader.channels());
    AudioBuffer read;
    read.sampleRate = reader.sampleRate();
    read.channels.assign(channels, std::vector<double>(frames));
    constexpr std::size_t kBlock = 4096;
    std::vector<double> interleaved(kBlock * channels);
    for (std::size_t start = 0; start < frames; start += kBlock) {
        bool failed = false;
        const std::size_t n = reader.read(interleaved.data(), std::min(kBlock, frames - start), failed);
        if (failed) {
            error = "cannot read audio file '" + path + "': reading its samples failed";
            return false;
        }
        for (std::size_t f = 0; f < n; ++f)
            for (std::size_t c = 0; c < channels; ++c)
                read.channels[c][start + f] = interleaved[f * channels + c];
    }
    buffer = std::move(read);
    if (info)
        *info = reader.format();
    return true;
}

namespace {

// The header of a file of `frames` frames, all sizes filled in.
std::vector<unsigned char> wavHeader(int channels, std::uint32_t rate, SampleEncoding encoding, std::uint64_t frames)
{
    const bool isFloat = encoding == SampleEncoding::Float32;
    const int sampleBytes = encoding == SampleEncoding::Pcm16 ? 2 : encoding == SampleEncoding::Pcm24 ? 3 : 4;
    const auto frameBytes = static_cast<std::uint64_t>(channels * sampleBytes);
    const std::uint64_t formatSize = isFloat ? kPlainFormatSize + 2 : kPlainFormatSize; // float: with cbSize = 0
    const std::uint64_t headerAfterRiff = 4 + (8 + formatSize) + (isFloat ? 12 : 0) + 8;
    const std::uint64_t dataBytes = frames * frameBytes;
    const std::uint64_t pad = dataBytes & 1u;

    std::vector<unsigned char> header;
    putTag(header, "RIFF");
    putLe32(header, static_cast<std::uint32_t>(headerAfterRiff + dataBytes + pad));
    putTag(header, "WAVE");
    putTag(header, "fmt ");
    putLe32(header, static_cast<std::uint32_t>(formatSize));
    putLe16(header, isFloat ? kTagFloat : kTagPcm);
    putLe16(header, static_cast<std::uint32_t>(channels));
    putLe32(header, rate);
    putLe32(header, static_cast<std::uint32_t>(std::min<std::uint64_t>(rate * frameBytes, 0xFFFFFFFFu))); // bytes per second
    putLe16(header, static_cast<std::uint32_t>(frameBytes));
    putLe16(header, static_cast<std::uint32_t>(sampleBytes * 8));
    if (isFloat) {
        putLe16(header, 0); // no extension
        putTag(header, "fact");
        putLe32(header, 4);
        putLe32(header, static_cast<std::uint32_t>(frames));
    }
    putTag(header, "data");
    putLe32(header, static_cast<std::uint32_t>(dataBytes));
    return header;
}

} // namespace

struct WavWriter::State {
    std::string path;
    std::ofstream file;
    int channels = 0;
    std::uint32_t rate = 0;
    SampleEncoding encoding = SampleEncoding::Float32;
    std::uint64_t frames = 0;       // written so far
    std::uint64_t largestFrames = 0; // that a 4 GiB file holds
    std::vector<unsigned char> bytes;
};

WavWriter::WavWriter() = default;

WavWriter::~WavWriter()
{
    abandon();
}

bool WavWriter::open(const std::string& path, int channels, double sampleRate, SampleEncoding encoding,
                     std::string& error)
{
    abandon();
    if (channels <= 0) {
        error = "nothing to write to '" + path + "'";
        return false;
    }
    if (!(sampleRate >= 1.0 && sampleRate <= std::numeric_limits<std::int32_t>::max())) {
        error = "invalid sample rate for '" + path + "'";
        return false;
    }
    if (channels > kMaxWavChannels) {
        error = "cannot write audio file '" + path + "': " + std::to_string(channels) +
                " channels are more than a WAV file of this tool holds";
        return false;
    }
    auto opened = std::make_unique<State>();
    opened->path = path;
    opened->channels = channels;
    opened->rate = static_cast<std::uint32_t>(sampleRate + 0.5);
    opened->encoding = encoding;
    const std::vector<unsigned char> header = wavHeader(channels, opened->rate, encoding, 0);
    const int sampleBytes = encoding == SampleEncoding::Pcm16 ? 2 : encoding == SampleEncoding::Pcm24 ? 3 : 4;
    const auto frameBytes = static_cast<std::uint64_t>(channels * sampleBytes);
    constexpr std::uint64_t kLargestRiff = 0xFFFFFFFFu;
    opened->largestFrames = (kLargestRiff - (header.size() - 8) - 1) / frameBytes;

    errno = 0;
    opened->file.open(path, std::ios::binary | std::ios::trunc);
    if (!opened->file) {
        const int cause = errno;
        error = "cannot write audio file '" + path + "': " +
                (cause != 0 ? std::string(std::strerror(cause)) : std::string("the file cannot be created"));
        return false;
    }
    // The sizes are written again when the file is closed.
    opened->file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    state = std::move(opened);
    return true;
}

bool WavWriter::write(const double* interleaved, std::size_t count, std::string& error)
{
    if (!state)
        return false;
    State& s = *state;
    if (count > s.largestFrames - s.frames) {
        error = "cannot write audio file '" + s.path + "': the audio is too long for a WAV file (4 GiB at most)";
        abandon();
        return false;
    }
    const auto samples = count * static_cast<std::size_t>(s.channels);
    s.bytes.clear();
    for (std::size_t i = 0; i < samples; ++i)
        encodeSample(s.bytes, interleaved[i], s.encoding);
    s.file.write(reinterpret_cast<const char*>(s.bytes.data()), static_cast<std::streamsize>(s.bytes.size()));
    s.frames += count;
    if (!s.file) {
        error = "cannot write audio file '" + s.path + "': writing failed (is the disk full?)";
        abandon();
        return false;
    }
    return true;
}

bool WavWriter::close(std::string& error)
{
    if (!state)
        return false;
    State& s = *state;
    const std::vector<unsigned char> header = wavHeader(s.channels, s.rate, s.encoding, s.frames);
    const int sampleBytes = s.encoding == SampleEncoding::Pcm16 ? 2 : s.encoding == SampleEncoding::Pcm24 ? 3 : 4;
    if ((s.frames * static_cast<std::uint64_t>(s.channels * sampleBytes)) & 1u)
        s.file.put('\0');
    s.file.seekp(0);
    s.file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    s.file.close();
    if (!s.file) {
        error = "cannot write audio file '" + s.path + "': writing failed (is the disk full?)";
        abandon();
        return false;
    }
    state.reset();
    return true;
}

void WavWriter::abandon()
{
    if (!state)
        return;
    // A half-written file must not pass for a result.
    state->file.close();
    std::error_code ignored;
    std::filesystem::remove(state->path, ignored);
    state.reset();
}

bool writeWavFile(const std::string& path, const AudioBuffer& buffer, SampleEncoding encoding, std::string& error)
{
    const std::size_t frames = buffer.numFrames();
    for (const std::vector<double>& channel : buffer.channels)
        if (channel.size() != frames) {
            error = "cannot write audio file '" + path + "': its channels differ in length";
            return false;
        }
    WavWriter writer;
    if (!writer.open(path, buffer.numChannels(), buffer.sampleRate, encoding, error))
        return false;
    const auto channels = static_cast<std::size_t>(buffer.numChannels());
    constexpr std::size_t kBlock = 4096;
    std::vector<double> interleaved(kBlock * channels);
    for (std::size_t start = 0; start < frames; start += kBlock) {
        const std::size_t n = std::min(kBlock, frames - start);
        for (std::size_t f = 0; f < n; ++f)
            for (std::size_t c = 0; c < channels; ++c)
                interleaved[f * channels + c] = buffer.channels[c][start + f];
        if (!writer.write(interleaved.data(), n, error))
            return false;
    }
    return writer.close(error);
}

} // namespace host

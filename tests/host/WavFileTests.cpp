// The tools' own WAV reader and writer, the audio file code of builds without
// libsndfile. libsndfile is the reference: what it writes we must read to the
// same values, and what we write it must read to the same values.

#include "TestWorkDir.h"
#include "host/WavFile.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::string workPath(const std::string& name)
{
    return testing_support::workFile(name);
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

Bytes readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t le32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t(bytes[at + 3]) << 24);
}

// A test signal of `frames` frames that visits full scale, both clipping
// directions, tiny values and a sine; each channel differs from the others.
host::AudioBuffer signal(int channels, std::size_t frames, double rate, bool beyondFullScale)
{
    host::AudioBuffer buffer;
    buffer.sampleRate = rate;
    buffer.channels.assign(static_cast<std::size_t>(channels), std::vector<double>(frames));
    for (int c = 0; c < channels; ++c) {
        std::vector<double>& x = buffer.channels[static_cast<std::size_t>(c)];
        for (std::size_t i = 0; i < frames; ++i)
            x[i] = 0.9 * std::sin(0.01 * static_cast<double>(i) * (c + 1) + c);
        const double edges[] = {1.0, -1.0, 1e-9, -3.0 / 65536.0, 0.5, beyondFullScale ? 1.7 : 0.999,
                                beyondFullScale ? -4.0 : -0.999};
        for (std::size_t k = 0; k < std::size(edges) && k < frames; ++k)
            x[k * 3 % frames] = edges[k] * (c % 2 ? -1.0 : 1.0);
    }
    return buffer;
}

// A file as libsndfile reads it, in double precision with its normalisation.
struct SndfileRead {
    bool ok = false;
    SF_INFO info{};
    std::vector<double> interleaved;
};

SndfileRead readWithSndfile(const std::string& path)
{
    SndfileRead result;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &result.info);
    if (!file)
        return result;
    result.interleaved.resize(static_cast<std::size_t>(result.info.frames * result.info.channels));
    const sf_count_t read = sf_readf_double(file, result.interleaved.data(), result.info.frames);
    sf_close(file);
    result.ok = read == result.info.frames;
    return result;
}

bool writeWithSndfile(const std::string& path, int format, const host::AudioBuffer& buffer)
{
    SF_INFO info{};
    info.channels = buffer.numChannels();
    info.samplerate = static_cast<int>(buffer.sampleRate);
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    std::vector<double> interleaved;
    for (std::size_t f = 0; f < buffer.numFrames(); ++f)
        for (const auto& channel : buffer.channels)
            interleaved.push_back(channel[f]);
    const sf_count_t written = sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(buffer.numFrames()));
    return sf_close(file) == 0 && written == static_cast<sf_count_t>(buffer.numFrames());
}

// Every sample of `ours` equals libsndfile's reading of the same file exactly.
void expectSameAsSndfile(const host::AudioBuffer& ours, const SndfileRead& reference)
{
    ASSERT_TRUE(reference.ok);
    EXPECT_EQ(ours.sampleRate, reference.info.samplerate);
    ASSERT_EQ(ours.numChannels(), reference.info.channels);
    ASSERT_EQ(ours.numFrames(), static_cast<std::size_t>(reference.info.frames));
    const auto channels = static_cast<std::size_t>(ours.numChannels());
    for (std::size_t f = 0; f < ours.numFrames(); ++f)
        for (std::size_t c = 0; c < channels; ++c)
            ASSERT_EQ(ours.channels[c][f], reference.interleaved[f * channels + c]) << "channel " << c << " frame " << f;
}

// ---- Files written by libsndfile --------------------------------------------

struct SndfileCase {
    const char* label;
    int format;             // libsndfile container and encoding
    int channels;
    std::size_t frames;
    host::WavEncoding encoding; // what our reader must report
    bool extensible;
};

void PrintTo(const SndfileCase& c, std::ostream* os)
{
    *os << c.label;
}

class WrittenBySndfile : public ::testing::TestWithParam<SndfileCase> {};

TEST_P(WrittenBySndfile, ReadsTheSameSamplesAsSndfile)
{
    const SndfileCase& c = GetParam();
    const std::string path = workPath(std::string(c.label) + ".wav");
    ASSERT_TRUE(writeWithSndfile(path, c.format, signal(c.channels, c.frames, 48000.0, true))) << sf_strerror(nullptr);

    host::AudioBuffer ours;
    host::WavFormatInfo info;
    std::string error;
    ASSERT_TRUE(host::readWavFile(path, ours, error, &info)) << error;
    EXPECT_EQ(info.encoding, c.encoding);
    EXPECT_EQ(info.extensible, c.extensible);
    EXPECT_EQ(info.declaredFrames, c.frames);
    expectSameAsSndfile(ours, readWithSndfile(path));
}

INSTANTIATE_TEST_SUITE_P(
    Wav, WrittenBySndfile,
    ::testing::Values(
        SndfileCase{"pcm16_mono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 1000, host::WavEncoding::Pcm16, false},
        SndfileCase{"pcm24_stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 1000, host::WavEncoding::Pcm24, false},
        // 3 bytes times an odd number of frames: the data chunk is followed by a pad byte
        SndfileCase{"pcm24_mono_odd", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 999, host::WavEncoding::Pcm24, false},
        SndfileCase{"pcm32_stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 2, 1000, host::WavEncoding::Pcm32, false},
        // libsndfile adds "fact" and "PEAK" chunks before the data of float files
        SndfileCase{"float_stereo", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 1000, host::WavEncoding::Float32, false},
        SndfileCase{"ext_pcm16_stereo", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 700, host::WavEncoding::Pcm16, true},
        SndfileCase{"ext_pcm24_mono", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 1, 700, host::WavEncoding::Pcm24, true},
        SndfileCase{"ext_float_stereo", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 2, 700, host::WavEncoding::Float32, true},
        SndfileCase{"ext_pcm16_six", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 6, 300, host::WavEncoding::Pcm16, true},
        SndfileCase{"float_empty", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 0, host::WavEncoding::Float32, false}),
    [](const ::testing::TestParamInfo<SndfileCase>& info) { return std::string(info.param.label); });

// ---- Files written by us ----------------------------------------------------

struct WriteCase {
    const char* label;
    host::SampleEncoding encoding;
    int channels;
    std::size_t frames;
    int sndfileSubtype; // what libsndfile must find in the file
    double step;        // one quantisation step
};

void PrintTo(const WriteCase& c, std::ostream* os)
{
    *os << c.label;
}

class WrittenByUs : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WrittenByUs, SndfileReadsWhatWeWroteAndSoDoWe)
{
    const WriteCase& c = GetParam();
    const std::string path = workPath(std::string(c.label) + ".wav");
    const host::AudioBuffer source = signal(c.channels, c.frames, 44100.0, true);
    std::string error;
    ASSERT_TRUE(host::writeWavFile(path, source, c.encoding, error)) << error;

    // The RIFF size is the file's size less its first 8 bytes, and chunks
    // keep the file at an even length.
    const Bytes bytes = readBytes(path);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(le32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(bytes.size() % 2, 0u);

    const SndfileRead reference = readWithSndfile(path);
    ASSERT_TRUE(reference.ok) << sf_strerror(nullptr);
    EXPECT_EQ(reference.info.format, SF_FORMAT_WAV | c.sndfileSubtype);
    EXPECT_EQ(reference.info.samplerate, 44100);

    host::AudioBuffer ours;
    ASSERT_TRUE(host::readWavFile(path, ours, error)) << error;
    expectSameAsSndfile(ours, reference);

    // Each sample is the source to within half a step, or full scale where the
    // source is beyond it (integer encodings clip, float keeps it).
    for (int ch = 0; ch < c.channels; ++ch)
        for (std::size_t f = 0; f < c.frames; ++f) {
            const double x = source.channels[static_cast<std::size_t>(ch)][f];
            const double expected = c.step > 0 ? std::clamp(x, -1.0, 1.0 - c.step) : static_cast<float>(x);
            ASSERT_NEAR(ours.channels[static_cast<std::size_t>(ch)][f], expected, c.step / 2)
                << "channel " << ch << " frame " << f;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Wav, WrittenByUs,
    ::testing::Values(WriteCase{"own_float_stereo", host::SampleEncoding::Float32, 2, 1001, SF_FORMAT_FLOAT, 0.0},
                      WriteCase{"own_float_mono", host::SampleEncoding::Float32, 1, 10, SF_FORMAT_FLOAT, 0.0},
                      WriteCase{"own_pcm16_stereo", host::SampleEncoding::Pcm16, 2, 1001, SF_FORMAT_PCM_16,
                                1.0 / 32768},
                      WriteCase{"own_pcm24_mono_odd", host::SampleEncoding::Pcm24, 1, 1001, SF_FORMAT_PCM_24,
                                1.0 / 8388608},
                      WriteCase{"own_pcm24_stereo", host::SampleEncoding::Pcm24, 2, 1000, SF_FORMAT_PCM_24,
                                1.0 / 8388608}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.label); });

TEST(WavWriter, IntegerSamplesRoundToNearestAndClipAndNanIsSilence)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct {
        double input;
        int expected; // the 16-bit sample in the file
    } cases[] = {
        {0.0, 0},          {1.0, 32767},      {-1.0, -32768},     {1.5, 32767},   {-2.0, -32768},
        {inf, 32767},      {-inf, -32768},    {nan, 0},           {0.25, 8192},   {1.4 / 32768, 1},
        {-1.6 / 32768, -2}, {32766.7 / 32768, 32767}, {-32767.6 / 32768, -32768},
    };
    host::AudioBuffer buffer;
    buffer.channels.resize(1);
    for (const auto& c : cases)
        buffer.channels[0].push_back(c.input);
    const std::string path = workPath("rounding.wav");
    std::string error;
    ASSERT_TRUE(host::writeWavFile(path, buffer, host::SampleEncoding::Pcm16, error)) << error;

    const Bytes bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 44 + 2 * std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto stored = static_cast<std::int16_t>(bytes[44 + 2 * i] | (bytes[45 + 2 * i] << 8));
        EXPECT_EQ(stored, cases[i].expected) << "input " << cases[i].input;
    }
}

TEST(WavWriter, FloatSamplesBeyondTheFloatRangeBecomeInfinities)
{
    host::AudioBuffer buffer;
    buffer.channels = {{1e300, -1e300, 3.0, std::numeric_limits<double>::quiet_NaN()}};
    const std::string path = workPath("huge.wav");
    std::string error;
    ASSERT_TRUE(host::writeWavFile(path, buffer, host::SampleEncoding::Float32, error)) << error;
    host::AudioBuffer read;
    ASSERT_TRUE(host::readWavFile(path, read, error)) << error;
    ASSERT_EQ(read.numFrames(), 4u);
    EXPECT_EQ(read.channels[0][0], std::numeric_limits<double>::infinity());
    EXPECT_EQ(read.channels[0][1], -std::numeric_limits<double>::infinity());
    EXPECT_EQ(read.channels[0][2], 3.0);
    EXPECT_TRUE(std::isnan(read.channels[0][3]));
}

TEST(WavWriter, RefusalsAndFailuresLeaveNoFileBehind)
{
    host::AudioBuffer good;
    good.channels = {{0.1, 0.2}};
    host::AudioBuffer ragged;
    ragged.channels = {{0.1, 0.2}, {0.3}};
    host::AudioBuffer badRate = good;
    badRate.sampleRate = std::numeric_limits<double>::quiet_NaN();
    host::AudioBuffer zeroRate = good;
    zeroRate.sampleRate = 0.0;
    struct {
        const char* label;
        std::string path;
        host::AudioBuffer buffer;
        const char* message;
    } cases[] = {
        {"missing folder", workPath("no-such-folder/out.wav"), good, "cannot write audio file"},
        {"no channels", workPath("empty.wav"), host::AudioBuffer{}, "nothing to write"},
        {"channels of different lengths", workPath("ragged.wav"), ragged, "differ in length"},
        {"NaN rate", workPath("nan-rate.wav"), badRate, "invalid sample rate"},
        {"zero rate", workPath("zero-rate.wav"), zeroRate, "invalid sample rate"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(host::writeWavFile(c.path, c.buffer, host::SampleEncoding::Pcm24, error)) << c.label;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.label << ": " << error;
        EXPECT_FALSE(std::filesystem::exists(c.path)) << c.label;
    }
}

// ---- Hand-made files ----------------------------------------------------------

// One chunk of a hand-made file; `declaredSize` overrides the true body size.
struct Chunk {
    std::string id;
    Bytes body;
    std::int64_t declaredSize = -1;
};

void put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<unsigned char>(v & 0xFF));
    b.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// The format chunk's body: plain (16 bytes) or, with a subformat tag,
// extensible (40 bytes; `extensionSize` is the cbSize field).
Bytes formatBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                 std::int32_t blockAlign = -1)
{
    Bytes b;
    put16(b, tag);
    put16(b, channels);
    put32(b, rate);
    const std::uint32_t align = blockAlign >= 0 ? std::uint32_t(blockAlign) : channels * bits / 8u;
    put32(b, rate * align);
    put16(b, align);
    put16(b, bits);
    return b;
}

Bytes extensibleBody(std::uint16_t subformat, std::uint16_t channels, std::uint16_t bits,
                     std::uint16_t extensionSize = 22, unsigned char guidByte = 0x71)
{
    Bytes b = formatBody(0xFFFE, channels, 44100, bits);
    put16(b, extensionSize);
    put16(b, bits);        // valid bits
    put32(b, channels == 1 ? 0x4 : 0x3); // speaker positions
    put16(b, subformat);
    const unsigned char tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, guidByte};
    b.insert(b.end(), tail, tail + 14);
    return b;
}

// 16-bit samples.
Bytes pcm16(std::initializer_list<int> samples)
{
    Bytes b;
    for (int s : samples)
        put16(b, static_cast<std::uint32_t>(s) & 0xFFFF);
    return b;
}

Bytes riff(const std::vector<Chunk>& chunks, const char* form = "WAVE")
{
    Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(form[i]));
    for (const Chunk& chunk : chunks) {
        for (char c : chunk.id)
            b.push_back(static_cast<unsigned char>(c));
        put32(b, chunk.declaredSize >= 0 ? std::uint32_t(chunk.declaredSize) : std::uint32_t(chunk.body.size()));
        b.insert(b.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() % 2)
            b.push_back(0);
    }
    const auto riffSize = static_cast<std::uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i)
        b[4 + static_cast<std::size_t>(i)] = static_cast<unsigned char>(riffSize >> (8 * i));
    return b;
}

struct MalformedCase {
    const char* label;
    Bytes bytes;
    const char* reason; // part of the error message
};

TEST(WavReader, RefusesMalformedAndUnsupportedFiles)
{
    const Bytes stereo16 = formatBody(1, 2, 44100, 16);
    const Bytes samples = pcm16({1, 2, 3, 4});
    Bytes riffBigEndian = riff({{"fmt ", stereo16}, {"data", samples}});
    riffBigEndian[3] = 'X';
    Bytes shortFormat = stereo16;
    shortFormat.resize(14);

    const MalformedCase cases[] = {
        {"empty file", {}, "not a RIFF/WAVE file"},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!'}, "not a RIFF/WAVE file"},
        {"big-endian RIFX", riffBigEndian, "not a RIFF/WAVE file"},
        {"RIFF of another form", riff({{"fmt ", stereo16}, {"data", samples}}, "AVI "), "not a RIFF/WAVE file"},
        {"no format chunk", riff({{"data", samples}}), "no format chunk"},
        {"no data chunk", riff({{"fmt ", stereo16}, {"LIST", {1, 2, 3, 4}}}), "no data chunk"},
        {"format chunk too short", riff({{"fmt ", shortFormat}, {"data", samples}}), "format chunk is too short"},
        {"format chunk past the end", riff({{"fmt ", stereo16, 400}}), "runs past the end"},
        {"two format chunks", riff({{"fmt ", stereo16}, {"fmt ", stereo16}, {"data", samples}}), "two format chunks"},
        {"two data chunks before the format",
         riff({{"data", samples}, {"data", samples}, {"fmt ", stereo16}}), "two data chunks"},
        {"format after a cut-off data chunk", riff({{"data", samples, 1000}, {"fmt ", stereo16}}), "no format chunk"},
        {"ADPCM", riff({{"fmt ", formatBody(2, 2, 44100, 4, 2048)}, {"data", samples}}), "0x0002 is neither"},
        {"8-bit PCM", riff({{"fmt ", formatBody(1, 2, 44100, 8)}, {"data", samples}}), "8-bit integer"},
        {"20-bit PCM", riff({{"fmt ", formatBody(1, 1, 44100, 20, 3)}, {"data", samples}}), "20-bit integer"},
        {"64-bit float", riff({{"fmt ", formatBody(3, 1, 44100, 64)}, {"data", samples}}), "64-bit float"},
        {"no channels", riff({{"fmt ", formatBody(1, 0, 44100, 16, 2)}, {"data", samples}}), "declares 0 channels"},
        {"too many channels", riff({{"fmt ", formatBody(1, 1000, 44100, 16)}, {"data", samples}}),
         "declares 1000 channels"},
        {"no sample rate", riff({{"fmt ", formatBody(1, 2, 0, 16)}, {"data", samples}}), "sample rate of 0"},
        {"frame size too small", riff({{"fmt ", formatBody(1, 2, 44100, 16, 2)}, {"data", samples}}),
         "frame size of 2 bytes"},
        {"frame size too large", riff({{"fmt ", formatBody(1, 2, 44100, 16, 8)}, {"data", samples}}),
         "frame size of 8 bytes"},
        {"extensible chunk of plain size", riff({{"fmt ", formatBody(0xFFFE, 2, 44100, 16)}, {"data", samples}}),
         "extensible format chunk is too short"},
        {"extensible with a short extension", riff({{"fmt ", extensibleBody(1, 2, 16, 10)}, {"data", samples}}),
         "extensible format chunk is too short"},
        {"extensible of an unknown subformat", riff({{"fmt ", extensibleBody(1, 2, 16, 22, 0x72)}, {"data", samples}}),
         "unknown subformat"},
        {"extensible ADPCM", riff({{"fmt ", extensibleBody(2, 2, 16)}, {"data", samples}}), "neither"},
    };
    for (const MalformedCase& c : cases) {
        const std::string path = workPath("malformed.wav");
        writeBytes(path, c.bytes);
        host::AudioBuffer buffer;
        buffer.channels = {{0.5}};
        std::string error;
        EXPECT_FALSE(host::readWavFile(path, buffer, error)) << c.label;
        EXPECT_NE(error.find("cannot read audio file '" + path + "': "), std::string::npos) << c.label << ": " << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.label << ": " << error;
        // A failed read leaves the caller's buffer as it was.
        EXPECT_EQ(buffer.channels, (std::vector<std::vector<double>>{{0.5}})) << c.label;
    }
}

TEST(WavReader, ReportsPathsThatAreNoFiles)
{
    for (const std::string& path : {workPath("does-not-exist.wav"), testing_support::processWorkDir()}) {
        host::AudioBuffer buffer;
        std::string error;
        EXPECT_FALSE(host::readWavFile(path, buffer, error)) << path;
        EXPECT_NE(error.find("cannot read audio file"), std::string::npos) << error;
    }
}

struct LayoutCase {
    const char* label;
    Bytes bytes;
    int channels;
    std::vector<int> samples;      // expected, interleaved, as 16-bit values
    std::uint64_t declaredFrames;  // frames the data chunk announces
};

TEST(WavReader, FollowsChunkSizesPadBytesAndCutOffData)
{
    const Bytes stereo16 = formatBody(1, 2, 22050, 16);
    // Chunk bodies that hold the bytes "data" and "fmt " would fool a reader
    // that scans for the tags instead of following the chunk sizes.
    const Bytes decoy = {'d', 'a', 't', 'a', 2, 0, 0, 0, 9, 9, 'f', 'm', 't', ' '};
    Bytes cutOff = riff({{"fmt ", stereo16}, {"data", pcm16({10, 20, 30, 40, 50, 60, 70})}});
    // The data chunk announces 100 frames; three whole frames and half of a
    // fourth are present.
    for (int i = 0; i < 4; ++i)
        cutOff[40 + static_cast<std::size_t>(i)] = static_cast<unsigned char>(400u >> (8 * i));
    Bytes placeholder = cutOff;
    for (int i = 0; i < 4; ++i)
        placeholder[40 + static_cast<std::size_t>(i)] = 0xFF;

    const LayoutCase cases[] = {
        {"plain", riff({{"fmt ", stereo16}, {"data", pcm16({1, -1, 32767, -32768})}}), 2, {1, -1, 32767, -32768}, 2},
        {"odd chunk with pad byte and decoys",
         riff({{"LIST", {'a', 'b', 'c'}}, {"fmt ", stereo16}, {"junk", decoy}, {"data", pcm16({5, 6})}}), 2, {5, 6}, 1},
        {"format chunk with extra bytes",
         riff({{"fmt ", [&] { Bytes b = stereo16; b.insert(b.end(), {0, 0, 7}); return b; }()},
               {"data", pcm16({7, 8})}}),
         2, {7, 8}, 1},
        {"data before format", riff({{"data", pcm16({3, 4, 5, 6})}, {"fmt ", stereo16}}), 2, {3, 4, 5, 6}, 2},
        {"trailing partial frame", riff({{"fmt ", stereo16}, {"data", pcm16({1, 2, 3})}}), 2, {1, 2}, 1},
        {"empty data", riff({{"fmt ", stereo16}, {"data", {}}}), 2, {}, 0},
        {"data cut off", cutOff, 2, {10, 20, 30, 40, 50, 60}, 100},
        {"streaming placeholder size", placeholder, 2, {10, 20, 30, 40, 50, 60}, 0xFFFFFFFFu / 4},
        {"extensible mono", riff({{"fmt ", extensibleBody(1, 1, 16)}, {"data", pcm16({-7, 7})}}), 1, {-7, 7}, 2},
    };
    for (const LayoutCase& c : cases) {
        const std::string path = workPath("layout.wav");
        writeBytes(path, c.bytes);
        host::AudioBuffer buffer;
        host::WavFormatInfo info;
        std::string error;
        ASSERT_TRUE(host::readWavFile(path, buffer, error, &info)) << c.label << ": " << error;
        EXPECT_EQ(info.declaredFrames, c.declaredFrames) << c.label;
        ASSERT_EQ(buffer.numChannels(), c.channels) << c.label;
        ASSERT_EQ(buffer.numFrames() * static_cast<std::size_t>(c.channels), c.samples.size()) << c.label;
        for (std::size_t i = 0; i < c.samples.size(); ++i)
            EXPECT_EQ(buffer.channels[i % static_cast<std::size_t>(c.channels)][i / static_cast<std::size_t>(c.channels)],
                      c.samples[i] / 32768.0)
                << c.label << " sample " << i;
    }
}

TEST(WavReader, IntegerScalingMatchesTheBitDepth)
{
    // The most negative and most positive code of each depth, little-endian.
    struct {
        const char* label;
        std::uint16_t bits;
        Bytes data;
        double first, second;
    } cases[] = {
        {"24-bit", 24, {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F}, -1.0, 8388607.0 / 8388608.0},
        {"32-bit", 32, {0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x7F}, -1.0, 2147483647.0 / 2147483648.0},
        {"float", 32, {0x00, 0x00, 0xC0, 0xBF, 0x00, 0x00, 0x00, 0x3F}, -1.5, 0.5},
    };
    for (const auto& c : cases) {
        const std::uint16_t tag = std::string(c.label) == "float" ? 3 : 1;
        const std::string path = workPath("depth.wav");
        writeBytes(path, riff({{"fmt ", formatBody(tag, 1, 44100, c.bits)}, {"data", c.data}}));
        host::AudioBuffer buffer;
        std::string error;
        ASSERT_TRUE(host::readWavFile(path, buffer, error)) << c.label << ": " << error;
        ASSERT_EQ(buffer.numFrames(), 2u) << c.label;
        EXPECT_EQ(buffer.channels[0][0], c.first) << c.label;
        EXPECT_EQ(buffer.channels[0][1], c.second) << c.label;
    }
}

TEST(WavReader, EveryCutAndCorruptionOfAFileIsReadSafelyOrRefused)
{
    // A float file with an extra chunk: every prefix of it, and copies with
    // header bytes overwritten, must be read within bounds or refused. Run
    // under AddressSanitizer this finds any read past what the file holds.
    Bytes data;
    for (int i = 0; i < 24; ++i)
        put32(data, 0x3F000000u + static_cast<std::uint32_t>(i)); // about 0.5
    const Bytes good = riff({{"fmt ", formatBody(3, 2, 48000, 32)}, {"LIST", {'x', 'y', 'z'}}, {"data", data}});
    const std::string path = workPath("cut.wav");

    auto check = [&](const Bytes& bytes, const std::string& label) {
        writeBytes(path, bytes);
        host::AudioBuffer buffer;
        std::string error;
        if (!host::readWavFile(path, buffer, error)) {
            EXPECT_FALSE(error.empty()) << label;
            return;
        }
        ASSERT_GE(buffer.numChannels(), 1) << label;
        ASSERT_LE(buffer.numChannels(), host::kMaxWavChannels) << label;
        for (const auto& channel : buffer.channels)
            ASSERT_EQ(channel.size(), buffer.numFrames()) << label;
        // No more samples than the file has bytes for (at least 2 bytes each).
        EXPECT_LE(buffer.numFrames() * static_cast<std::size_t>(buffer.numChannels()) * 2, bytes.size()) << label;
    };

    for (std::size_t length = 0; length <= good.size(); ++length)
        check(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)), "cut at " + std::to_string(length));

    std::uint32_t state = 12345; // fixed sequence: the same files on every run
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    const std::size_t headerBytes = good.size() - data.size();
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = good;
        const int changes = 1 + static_cast<int>(next() % 4);
        for (int k = 0; k < changes; ++k)
            bytes[next() % headerBytes] = static_cast<unsigned char>(next());
        check(bytes, "corruption round " + std::to_string(round));
    }
}

} // namespace

#include "cabinet/WavReader.h"

#include <bit>
#include <cmath>
#include <string>

#include "tests/support/WavFixture.h"

using namespace fixture;

namespace {

constexpr std::int64_t kLimit = 8192; // the largest response the engine uses

WavInfo readBytes(const Bytes& bytes, std::int64_t limit = kLimit, bool* ok = nullptr)
{
    TempFile file("reader.wav", bytes);
    WavInfo info;
    const bool result = readWav(file.c_str(), info, limit);
    if (ok)
        *ok = result;
    EXPECT_EQ(result, info.loaded);
    return info;
}

Bytes withData(const WavLayout& layout, const Bytes& data)
{
    Bytes b = header(layout, data.size());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

} // namespace

TEST(WavReader, SixteenBitMapsBothFullScalesToPlusMinusOne)
{
    const WavInfo info = readBytes(wav16({-32768, -16384, 0, 16384, 32767}));
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.sampleRate, 44100u);
    EXPECT_EQ(info.sampleCount, 5);
    ASSERT_EQ(info.samples.size(), 5u);
    EXPECT_EQ(info.samples[0], -1.0);
    EXPECT_EQ(info.samples[1], -0.5);
    EXPECT_EQ(info.samples[2], 0.0);
    EXPECT_EQ(info.samples[3], 16384.0 / 32767.0);
    EXPECT_EQ(info.samples[4], 1.0);
}

TEST(WavReader, TwentyFourBitSignExtendsAndScales)
{
    WavLayout layout;
    layout.bits = 24;
    Bytes data;
    for (std::int32_t s : {-8388608, -1, 1, 8388607, 0x123456})
        put24(data, s);
    const WavInfo info = readBytes(withData(layout, data));
    ASSERT_TRUE(info.loaded);
    ASSERT_EQ(info.samples.size(), 5u);
    EXPECT_EQ(info.samples[0], -1.0);
    EXPECT_EQ(info.samples[1], -1.0 / 8388608.0);
    EXPECT_EQ(info.samples[2], 1.0 / 8388607.0);
    EXPECT_EQ(info.samples[3], 1.0);
    EXPECT_EQ(info.samples[4], double(0x123456) / 8388607.0);
}

TEST(WavReader, ThirtyTwoBitIntegerScales)
{
    WavLayout layout;
    layout.bits = 32;
    Bytes data;
    for (std::uint32_t s : {0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x40000000u})
        put32(data, s);
    const WavInfo info = readBytes(withData(layout, data));
    ASSERT_TRUE(info.loaded);
    ASSERT_EQ(info.samples.size(), 4u);
    EXPECT_EQ(info.samples[0], -1.0);
    EXPECT_EQ(info.samples[1], -1.0 / 2147483648.0);
    EXPECT_EQ(info.samples[2], 1.0);
    EXPECT_EQ(info.samples[3], 1073741824.0 / 2147483647.0);
}

TEST(WavReader, FloatSamplesAreTakenUnscaledBeyondFullScale)
{
    WavLayout layout;
    layout.formatTag = 3;
    layout.bits = 32;
    Bytes data;
    for (float x : {1.5f, -2.25f, 0.125f, -1.0f, std::nanf(""), -INFINITY})
        put32(data, std::bit_cast<std::uint32_t>(x));
    const WavInfo info = readBytes(withData(layout, data));
    ASSERT_TRUE(info.loaded);
    ASSERT_EQ(info.samples.size(), 6u);
    EXPECT_EQ(info.samples[0], 1.5);
    EXPECT_EQ(info.samples[1], -2.25);
    EXPECT_EQ(info.samples[2], 0.125);
    EXPECT_EQ(info.samples[3], -1.0);
    // Non-finite values would poison the convolution: they read as silence.
    EXPECT_EQ(info.samples[4], 0.0);
    EXPECT_EQ(info.samples[5], 0.0);
}

TEST(WavReader, SixteenBitDataUnderTheFloatTagIsStillInteger)
{
    WavLayout layout;
    layout.formatTag = 3;
    const WavInfo info = readBytes(withData(layout, {0x00, 0x40}));
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.samples.at(0), 16384.0 / 32767.0);
}

TEST(WavReader, FindsTagsWhereverTheyAreAndIgnoresOtherChunks)
{
    // data before fmt, with an unrelated chunk in front of both.
    Bytes b;
    putTag(b, "RIFF");
    put32(b, 0);
    putTag(b, "WAVE");
    putTag(b, "LIST");
    put32(b, 4);
    putTag(b, "INFO");
    putTag(b, "data");
    put32(b, 4);
    put16(b, 0x4000);
    put16(b, 0xC000);
    putTag(b, "fmt ");
    put32(b, 16);
    put16(b, 1);
    put16(b, 2);
    put32(b, 48000);
    put32(b, 48000 * 4);
    put16(b, 4);
    put16(b, 16);
    const WavInfo info = readBytes(b);
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.storedChannels, 2);
    EXPECT_EQ(info.frameCount, 1);
    ASSERT_EQ(info.samples.size(), 2u);
    EXPECT_EQ(info.samples[0], 16384.0 / 32767.0);
    EXPECT_EQ(info.samples[1], -0.5);
}

TEST(WavReader, RejectsUnusableFiles)
{
    struct Case {
        const char* what;
        Bytes bytes;
    };
    auto layout = [](auto edit) {
        WavLayout s;
        edit(s);
        return s;
    };
    const Bytes fourSamples = {1, 0, 2, 0, 3, 0, 4, 0};
    Bytes notRiff = wav16({1, 2});
    notRiff[0] = 'X';
    Bytes notWave = wav16({1, 2});
    notWave[8] = 'X';
    Bytes noFormat = wav16({1, 2});
    noFormat[12] = 'X';
    Bytes noData = wav16({1, 2});
    noData[36] = 'X';
    // A second "fmt " ahead of the data tag: which format describes the data is unclear.
    Bytes secondFormat = wav16({1, 2});
    {
        Bytes extra(secondFormat.begin() + 12, secondFormat.begin() + 36);
        secondFormat.insert(secondFormat.begin() + 36, extra.begin(), extra.end());
    }
    Bytes headerCut = wav16({1, 2});
    headerCut.resize(40); // the data header ends half-way through its size field

    const Case cases[] = {
        {"empty file", {}},
        {"not RIFF", notRiff},
        {"not WAVE", notWave},
        {"no fmt tag", noFormat},
        {"no data tag", noData},
        {"second fmt before data", secondFormat},
        {"data header cut short", headerCut},
        {"extensible tag", withData(layout([](WavLayout& s) { s.formatTag = 0xFFFE; }), fourSamples)},
        {"ADPCM tag", withData(layout([](WavLayout& s) { s.formatTag = 2; }), fourSamples)},
        {"8-bit PCM", withData(layout([](WavLayout& s) { s.bits = 8; }), fourSamples)},
        {"64-bit float", withData(layout([](WavLayout& s) { s.formatTag = 3; s.bits = 64; }), fourSamples)},
        {"block align 0", withData(layout([](WavLayout& s) { s.blockAlign = 0; }), fourSamples)},
        {"no channels", withData(layout([](WavLayout& s) { s.channels = 0; s.blockAlign = 2; }), fourSamples)},
        {"data smaller than a frame", withData(layout([](WavLayout& s) { s.channels = 2; s.dataSize = 3; }), fourSamples)},
        {"empty data", withData(WavLayout{}, {})},
    };
    for (const Case& c : cases) {
        bool ok = true;
        const WavInfo info = readBytes(c.bytes, kLimit, &ok);
        EXPECT_FALSE(ok) << c.what;
        EXPECT_TRUE(info.samples.empty()) << c.what;
    }
}

TEST(WavReader, MissingFileFailsQuietly)
{
    WavInfo info;
    EXPECT_FALSE(readWav((testing::TempDir() + "no-such-file.wav").c_str(), info, kLimit));
    EXPECT_FALSE(readWav(nullptr, info, kLimit));
    EXPECT_FALSE(info.loaded);
}

TEST(WavReader, DataShorterThanDeclaredReadsAsZeroBeyondTheFile)
{
    WavLayout layout;
    layout.dataSize = 200; // 100 samples declared
    Bytes data;
    for (int i = 0; i < 60; ++i)
        put16(data, 1000);
    data.push_back(0x55); // half a sample at the very end
    const WavInfo info = readBytes(withData(layout, data));
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.sampleCount, 100);
    ASSERT_EQ(info.samples.size(), 100u);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(info.samples[i], 1000.0 / 32767.0) << i;
    for (int i = 60; i < 100; ++i)
        ASSERT_EQ(info.samples[i], 0.0) << i;
}

TEST(WavReader, HugeDeclaredSizeHoldsOnlyTheFramesAskedFor)
{
    WavLayout layout;
    layout.channels = 2;
    layout.dataSize = 0xFFFFFFFC;
    Bytes data;
    for (int i = 0; i < 10; ++i)
        put16(data, std::uint16_t(100 * (i + 1)));
    const WavInfo info = readBytes(withData(layout, data), 4096);
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.frameCount, 0xFFFFFFFCll / 4);
    EXPECT_EQ(info.sampleCount, 0xFFFFFFFCll / 2);
    EXPECT_EQ(info.storedFrames, 4096);
    ASSERT_EQ(info.samples.size(), 8192u);
    EXPECT_EQ(info.samples[9], 1000.0 / 32767.0);
    EXPECT_EQ(info.samples[10], 0.0);
    EXPECT_LE(info.samples.capacity(), 8192u);
}

TEST(WavReader, WideFileKeepsTheFirstTwoChannelsOfEachFrame)
{
    for (std::uint16_t channels : {3, 6}) {
        WavLayout layout;
        layout.channels = channels;
        Bytes data;
        const int frames = 5;
        for (int f = 0; f < frames; ++f)
            for (int c = 0; c < channels; ++c)
                put16(data, std::uint16_t(1000 * (f + 1) + c));
        const WavInfo info = readBytes(withData(layout, data));
        ASSERT_TRUE(info.loaded);
        EXPECT_EQ(info.sampleCount, frames * channels);
        EXPECT_EQ(info.storedChannels, 2);
        ASSERT_EQ(info.samples.size(), std::size_t(2 * frames));
        for (int f = 0; f < frames; ++f) {
            EXPECT_EQ(info.samples[2 * f], (1000.0 * (f + 1)) / 32767.0) << channels << " " << f;
            EXPECT_EQ(info.samples[2 * f + 1], (1000.0 * (f + 1) + 1) / 32767.0) << channels << " " << f;
        }
    }
}

TEST(WavReader, ReaderReusesReservedStorage)
{
    WavInfo info;
    info.samples.reserve(2 * kLimit);
    const double* storage = info.samples.data();
    TempFile file("reuse.wav", wav16(std::vector<std::int16_t>(3000, 7), 2));
    ASSERT_TRUE(readWav(file.c_str(), info, kLimit));
    EXPECT_EQ(info.samples.data(), storage);
    TempFile broken("broken.wav", Bytes{'R', 'I', 'F', 'F'});
    ASSERT_FALSE(readWav(broken.c_str(), info, kLimit));
    ASSERT_TRUE(readWav(file.c_str(), info, kLimit));
    EXPECT_EQ(info.samples.data(), storage);
}

TEST(WavReader, FindsATagThatStraddlesTheScanBlocks)
{
    // A padding chunk pushes the data tag across the reader's 64 KiB scan
    // blocks, at every alignment of its four bytes.
    for (std::uint32_t shift = 0; shift < 4; ++shift) {
        Bytes b = wav16({1234});
        const std::size_t dataTag = 36;
        const std::uint32_t padding = 65536 - 2 - std::uint32_t(dataTag) - 8 + shift;
        Bytes junk;
        putTag(junk, "junk");
        put32(junk, padding);
        junk.resize(junk.size() + padding, 0);
        b.insert(b.begin() + dataTag, junk.begin(), junk.end());
        const WavInfo info = readBytes(b);
        ASSERT_TRUE(info.loaded) << shift;
        EXPECT_EQ(info.samples.at(0), 1234.0 / 32767.0) << shift;
    }
}

// Audio file reading and writing through libsndfile.

#include "TestWorkDir.h"
#include "host/AudioFile.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <fstream>

namespace {

std::string workPath(const std::string& name)
{
    return testing_support::workFile(name);
}

host::AudioBuffer ramp(int channels, std::size_t frames, double rate)
{
    host::AudioBuffer buffer;
    buffer.sampleRate = rate;
    buffer.channels.assign(static_cast<std::size_t>(channels), std::vector<double>(frames));
    for (int c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < frames; ++i)
            buffer.channels[static_cast<std::size_t>(c)][i] =
                (c == 0 ? 1.0 : -1.0) * (static_cast<double>(i) / static_cast<double>(frames) - 0.5) * 1.6;
    return buffer;
}

struct FormatCase {
    const char* file;
    host::SampleEncoding encoding;
    double tolerance; // largest error the encoding may introduce
    bool expectNote;  // the encoding had to change
};

// Test names show the case label rather than its bytes.
void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.file;
}

class AudioFileFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(AudioFileFormats, RoundTripsWithinTheEncodingsPrecision)
{
    const FormatCase& c = GetParam();
    const host::AudioBuffer written = ramp(2, 4410, 48000.0);
    std::string error, note;
    ASSERT_TRUE(host::writeAudioFile(workPath(c.file), written, c.encoding, error, &note)) << error;
    EXPECT_EQ(!note.empty(), c.expectNote) << note;

    host::AudioBuffer read;
    ASSERT_TRUE(host::readAudioFile(workPath(c.file), read, error)) << error;
    EXPECT_EQ(read.sampleRate, 48000.0);
    ASSERT_EQ(read.numChannels(), 2);
    ASSERT_EQ(read.numFrames(), 4410u);
    for (int ch = 0; ch < 2; ++ch)
        for (std::size_t i = 0; i < 4410; ++i)
            ASSERT_NEAR(read.channels[static_cast<std::size_t>(ch)][i],
                        written.channels[static_cast<std::size_t>(ch)][i], c.tolerance)
                << c.file << " channel " << ch << " frame " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Host, AudioFileFormats,
    ::testing::Values(FormatCase{"float.wav", host::SampleEncoding::Float32, 1e-7, false},
                      FormatCase{"pcm16.wav", host::SampleEncoding::Pcm16, 1.0 / 32768.0, false},
                      FormatCase{"pcm24.aiff", host::SampleEncoding::Pcm24, 1.0 / 8388608.0 * 1.01, false},
                      FormatCase{"float.FLAC", host::SampleEncoding::Float32, 1.0 / 8388608.0 * 1.01, true}),
    [](const ::testing::TestParamInfo<FormatCase>& info) {
        std::string name = info.param.file;
        for (char& ch : name)
            if (ch == '.')
                ch = '_';
        return name;
    });

TEST(AudioFile, IntegerEncodingsClipInsteadOfWrapping)
{
    host::AudioBuffer loud;
    loud.channels = {{1.5, -1.5, 0.5}};
    std::string error;
    ASSERT_TRUE(host::writeAudioFile(workPath("loud.wav"), loud, host::SampleEncoding::Pcm16, error)) << error;
    host::AudioBuffer read;
    ASSERT_TRUE(host::readAudioFile(workPath("loud.wav"), read, error)) << error;
    EXPECT_GT(read.channels[0][0], 0.99);
    EXPECT_LT(read.channels[0][1], -0.99);
    EXPECT_NEAR(read.channels[0][2], 0.5, 1e-4);
}

TEST(AudioFile, ReadingFailuresAreReported)
{
    std::ofstream(workPath("text.wav")) << "not audio at all";
    for (const std::string& path : {workPath("does-not-exist.wav"), workPath("text.wav"), testing_support::processWorkDir()}) {
        host::AudioBuffer buffer;
        std::string error;
        EXPECT_FALSE(host::readAudioFile(path, buffer, error)) << path;
        EXPECT_NE(error.find("cannot read audio file"), std::string::npos) << error;
    }
}

TEST(AudioFile, WritingFailuresAreReported)
{
    const host::AudioBuffer buffer = ramp(1, 10, 44100.0);
    struct {
        std::string path;
        const char* message;
    } cases[] = {{workPath("out.txt"), "cannot tell the audio format"},
                 {workPath("no-extension"), "cannot tell the audio format"},
                 {workPath("missing-folder/out.wav"), "cannot write audio file"}};
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(host::writeAudioFile(c.path, buffer, host::SampleEncoding::Float32, error)) << c.path;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(host::writeAudioFile(workPath("empty.wav"), host::AudioBuffer{}, host::SampleEncoding::Float32, error));
}

} // namespace

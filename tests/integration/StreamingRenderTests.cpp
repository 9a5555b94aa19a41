// The renderer's streaming path: a file rendered block by block (output
// shaping through a temporary file) must equal the same render held in
// memory and shaped there, sample for sample; an input that ends before its
// announced length still gets its tail.

#include "TestWorkDir.h"
#include "host/AudioFileStream.h"
#include "host/BlockRenderer.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "tools/OutputShaping.h"
#include "tools/ProgressDisplay.h"
#include "tools/RenderOptions.h"
#include "tools/RenderSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <ostream>

namespace {

std::unique_ptr<host::PluginInstance> gainInstance(const host::PluginLibrary& library, double rate)
{
    std::string error;
    host::HostSettings settings;
    settings.sampleRate = rate;
    auto instance = host::PluginInstance::create(library, settings, error);
    EXPECT_TRUE(instance) << error;
    if (instance) {
        instance->dispatch(vst::effOpen);
        instance->setSampleRate(rate);
        instance->setParameter(0, 0.75f); // gain 1.5
    }
    return instance;
}

// A stereo burst that decays into near silence, so that trimming and
// normalising both have something to do, and one loud frame far from the end.
host::AudioBuffer decayingBurst(std::size_t frames)
{
    host::AudioBuffer buffer;
    buffer.sampleRate = 48000.0;
    buffer.channels.assign(2, std::vector<double>(frames));
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        buffer.channels[0][i] = 0.4 * std::sin(0.031 * t) * std::exp(-t / 2500.0);
        buffer.channels[1][i] = 0.3 * std::cos(0.017 * t) * std::exp(-t / 1800.0);
    }
    buffer.channels[1][frames / 3] = 0.9;
    return buffer;
}

struct StreamCase {
    const char* label;
    int block;
    bool doublePrecision;
    double tailSeconds;
    std::optional<double> normalizeDb;
    bool trimTail;
    bool replaceInput; // the output path is the input's
};

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << c.label;
}

class StreamingRender : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamingRender, EqualsTheRenderHeldInMemory)
{
    const StreamCase& c = GetParam();
    const host::AudioBuffer source = decayingBurst(40000); // several spool blocks
    const std::string in = testing_support::workFile(std::string("stream-in-") + c.label + ".wav");
    const std::string out =
        c.replaceInput ? in : testing_support::workFile(std::string("stream-out-") + c.label + ".wav");
    std::string error;
    ASSERT_TRUE(host::writeAudioFile(in, source, host::SampleEncoding::Float32, error)) << error;
    host::AudioBuffer stored; // the input as the file holds it (float)
    ASSERT_TRUE(host::readAudioFile(in, stored, error)) << error;

    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));

    host::RenderOptions options;
    options.blockSize = c.block;
    options.doublePrecision = c.doublePrecision;
    options.tailSeconds = c.tailSeconds;
    options.normalizeDb = c.normalizeDb;
    options.trimTail = c.trimTail;

    auto streamed = gainInstance(library, source.sampleRate);
    ASSERT_TRUE(streamed);
    host::AudioFileReader reader;
    ASSERT_TRUE(reader.open(in, error)) << error;
    host::ProgressDisplay display(stderr, false, 1);
    ASSERT_TRUE(host::renderToFile(*streamed, reader, source.sampleRate, options, out, c.label, display, error))
        << error;

    auto held = gainInstance(library, source.sampleRate);
    ASSERT_TRUE(held);
    host::RenderSettings settings;
    settings.blockSizes = {c.block};
    settings.doublePrecision = c.doublePrecision;
    settings.tailFrames = static_cast<std::size_t>(std::llround(c.tailSeconds * source.sampleRate));
    held->setMains(true);
    host::AudioBuffer expected = host::renderThrough(*held, stored, settings);
    if (c.normalizeDb) {
        ASSERT_TRUE(host::normalizePeak(expected, *c.normalizeDb));
    }
    if (c.trimTail)
        host::trimTail(expected, host::kTrimThresholdDb);

    host::AudioBuffer written;
    ASSERT_TRUE(host::readAudioFile(out, written, error)) << error;
    ASSERT_EQ(written.numChannels(), expected.numChannels());
    ASSERT_EQ(written.numFrames(), expected.numFrames());
    if (c.trimTail) {
        ASSERT_LT(written.numFrames(), stored.numFrames() + settings.tailFrames); // the trim cut something
    }
    for (std::size_t ch = 0; ch < expected.channels.size(); ++ch)
        for (std::size_t i = 0; i < expected.numFrames(); ++i)
            ASSERT_EQ(written.channels[ch][i], static_cast<double>(static_cast<float>(expected.channels[ch][i])))
                << "channel " << ch << " frame " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Render, StreamingRender,
    ::testing::Values(StreamCase{"plain_with_tail", 512, false, 0.25, std::nullopt, false, false},
                      StreamCase{"odd_block_double", 7, true, 0.1, std::nullopt, false, false},
                      StreamCase{"normalised", 513, false, 0.0, -3.0, false, false},
                      StreamCase{"trimmed", 64, false, 0.5, std::nullopt, true, false},
                      StreamCase{"normalised_and_trimmed", 1000, true, 0.5, -0.5, true, false},
                      StreamCase{"output_replaces_input", 256, false, 0.2, std::nullopt, false, true}),
    [](const ::testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.label); });

// An input that ends before the frames it announced: the tail follows what
// was there, and no frame is invented.
TEST(StreamingRender, InputEndingEarlyGetsItsTail)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    auto plugin = gainInstance(library, 44100.0);
    ASSERT_TRUE(plugin);
    plugin->setMains(true);

    std::size_t served = 0;
    const host::StreamInput shortInput = [&](std::vector<std::vector<double>>& block, std::size_t frames,
                                             std::size_t& got) {
        got = std::min<std::size_t>(frames, 600 - served);
        for (std::size_t f = 0; f < got; ++f)
            block[0][f] = 0.5;
        served += got;
        return true;
    };
    std::vector<double> out;
    const host::StreamOutput collect = [&](const std::vector<std::vector<double>>& block, std::size_t frames) {
        out.insert(out.end(), block[0].begin(), block[0].begin() + static_cast<std::ptrdiff_t>(frames));
        return true;
    };
    host::RenderSettings settings;
    settings.blockSizes = {256};
    settings.tailFrames = 37;
    ASSERT_TRUE(host::renderStream(*plugin, 1, 1000, shortInput, collect, settings));
    ASSERT_EQ(out.size(), 637u);
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], i < 600 ? 0.75 : 0.0) << i;

    // A failing input or output stops the render and says so.
    const host::StreamInput failing = [](std::vector<std::vector<double>>&, std::size_t, std::size_t&) { return false; };
    EXPECT_FALSE(host::renderStream(*plugin, 1, 1000, failing, collect, settings));
    const host::StreamOutput refusing = [](const std::vector<std::vector<double>>&, std::size_t) { return false; };
    served = 0;
    EXPECT_FALSE(host::renderStream(*plugin, 1, 1000, shortInput, refusing, settings));
}

// A render whose output cannot be written leaves no file behind.
TEST(StreamingRender, FailedWriterLeavesNoFile)
{
    const std::string path = testing_support::workFile("abandoned.wav");
    {
        host::AudioFileWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(path, 2, 44100.0, host::SampleEncoding::Pcm16, error)) << error;
        const double frame[2] = {0.1, -0.1};
        ASSERT_TRUE(writer.write(frame, 1, error)) << error;
        EXPECT_TRUE(std::filesystem::exists(path));
    } // destroyed without close()
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace

// The host library against small test plug-ins: loading through the entry
// points, the host callback's answers, chunks, automation notices and block
// processing with every buffer arrangement.

#include "TestWorkDir.h"
#include "host/BlockRenderer.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <fstream>

namespace {

// Vendor-specific requests answered by the test plug-in.
constexpr vst::VstInt32 kAskTempo = 1;
constexpr vst::VstInt32 kAskPosition = 2;
constexpr vst::VstInt32 kAskTimeFlags = 3;
constexpr vst::VstInt32 kSendAutomation = 4;

std::unique_ptr<host::PluginInstance> makeInstance(const host::PluginLibrary& library,
                                                   host::HostSettings settings = {})
{
    std::string error;
    auto instance = host::PluginInstance::create(library, settings, error);
    EXPECT_TRUE(instance) << error;
    return instance;
}

struct LoadCase {
    const char* label;
    std::string path;
    bool loads;
    const char* entryOrMessage; // entry symbol when it loads, part of the error otherwise
};

// Test names show the case label rather than its bytes.
void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.label;
}

class PluginLoading : public ::testing::TestWithParam<LoadCase> {};

TEST_P(PluginLoading, ResolvesTheEntryOrExplains)
{
    const LoadCase& c = GetParam();
    host::PluginLibrary library;
    EXPECT_EQ(library.load(c.path), c.loads);
    if (c.loads) {
        EXPECT_EQ(library.entryName(), c.entryOrMessage);
        EXPECT_NE(library.entry(), nullptr);
    } else {
        EXPECT_FALSE(library.isLoaded());
        EXPECT_NE(library.error().find(c.entryOrMessage), std::string::npos) << library.error();
    }
}

std::string textFile()
{
    const std::string path = testing_support::workFile("not-a-library.so");
    std::ofstream(path) << "this is text, not a shared library\n";
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Host, PluginLoading,
    ::testing::Values(LoadCase{"current", TEST_GAIN_PLUGIN, true, "VSTPluginMain"},
                      LoadCase{"old_main_entry", TEST_GAIN_MAIN_ONLY_PLUGIN, true, "main"},
                      LoadCase{"no_entry", TEST_NOT_A_PLUGIN, false, "neither VSTPluginMain nor main"},
                      LoadCase{"missing_file", testing_support::workFile("missing.so"), false, "cannot load"},
                      LoadCase{"not_a_library", textFile(), false, "cannot load"}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.label); });

TEST(HostInstance, OldEntryGivesAWorkingEffect)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_MAIN_ONLY_PLUGIN));
    auto plugin = makeInstance(library);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->effectName(), "Test Gain");
}

TEST(HostInstance, NoEffectIsAnErrorNotACrash)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_NO_EFFECT_PLUGIN));
    std::string error;
    EXPECT_FALSE(host::PluginInstance::create(library, {}, error));
    EXPECT_NE(error.find("no effect"), std::string::npos) << error;
}

TEST(HostInstance, VersionAnswerReachesThePluginDuringItsEntry)
{
    // The plug-in asks for the version before the host knows its descriptor;
    // the answer must still come from the instance being created.
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    host::HostSettings settings;
    settings.versionAnswer = 0;
    std::string error;
    EXPECT_FALSE(host::PluginInstance::create(library, settings, error));
    EXPECT_NE(error.find("no VST version"), std::string::npos) << error;

    settings.versionAnswer = vst::kVstVersion;
    EXPECT_TRUE(host::PluginInstance::create(library, settings, error));
}

TEST(HostInstance, UnloadedLibraryIsRefused)
{
    host::PluginLibrary library;
    std::string error;
    EXPECT_FALSE(host::PluginInstance::create(library, {}, error));
    EXPECT_FALSE(error.empty());
}

TEST(HostInstance, ReportsStringsCountsAndFindsNames)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    auto plugin = makeInstance(library);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->effectName(), "Test Gain");
    EXPECT_EQ(plugin->vendorString(), "Selvarine Tests");
    EXPECT_EQ(plugin->productString(), "Test Gain Effect");
    EXPECT_EQ(plugin->numParameters(), 2);
    EXPECT_EQ(plugin->numPrograms(), 3);
    EXPECT_EQ(plugin->parameterName(1), "Mute");
    EXPECT_EQ(plugin->parameterLabel(0), "x2");
    EXPECT_EQ(plugin->parameterDisplay(0), "0.500");
    EXPECT_EQ(plugin->programName(2), "Silent");
    EXPECT_EQ(plugin->programName(3), ""); // not answered
    EXPECT_EQ(plugin->findParameter("Mute"), 1);
    EXPECT_EQ(plugin->findParameter("mute"), -1); // names are exact
    EXPECT_EQ(plugin->findProgram("Quiet"), 1);
    EXPECT_EQ(plugin->findProgram("Loud"), -1);
}

TEST(HostCallback, TimeRecordCarriesTempoPositionAndValidFlags)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    host::HostSettings settings;
    settings.tempo = 97.5;
    auto plugin = makeInstance(library, settings);
    ASSERT_TRUE(plugin);

    EXPECT_EQ(plugin->dispatch(vst::effVendorSpecific, kAskTempo), 97500);
    const auto flags = static_cast<vst::VstInt32>(plugin->dispatch(vst::effVendorSpecific, kAskTimeFlags));
    EXPECT_EQ(flags & (vst::kVstPpqPosValid | vst::kVstTempoValid), vst::kVstPpqPosValid | vst::kVstTempoValid);
    EXPECT_EQ(flags & vst::kVstTransportPlaying, 0); // nothing processed yet

    std::vector<float> left(300, 0.0f), right(300, 0.0f);
    float* channels[] = {left.data(), right.data()};
    plugin->process(channels, channels, 300);
    plugin->process(channels, channels, 123);
    EXPECT_EQ(plugin->dispatch(vst::effVendorSpecific, kAskPosition), 423);
    EXPECT_NE(plugin->dispatch(vst::effVendorSpecific, kAskTimeFlags) & vst::kVstTransportPlaying, 0);

    plugin->setTempo(140.0);
    EXPECT_EQ(plugin->dispatch(vst::effVendorSpecific, kAskTempo), 140000);
}

TEST(HostCallback, TwoInstancesKeepTheirOwnTransport)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    host::HostSettings slow, fast;
    slow.tempo = 60.0;
    fast.tempo = 180.0;
    auto a = makeInstance(library, slow);
    auto b = makeInstance(library, fast);
    ASSERT_TRUE(a && b);
    std::vector<double> left(64), right(64);
    double* channels[] = {left.data(), right.data()};
    a->processDouble(channels, channels, 64);
    EXPECT_EQ(a->dispatch(vst::effVendorSpecific, kAskTempo), 60000);
    EXPECT_EQ(b->dispatch(vst::effVendorSpecific, kAskTempo), 180000);
    EXPECT_EQ(a->dispatch(vst::effVendorSpecific, kAskPosition), 64);
    EXPECT_EQ(b->dispatch(vst::effVendorSpecific, kAskPosition), 0);
}

TEST(HostCallback, RecordsAutomationNoticesInOrder)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    auto plugin = makeInstance(library);
    ASSERT_TRUE(plugin);
    plugin->dispatch(vst::effVendorSpecific, kSendAutomation, 0, nullptr, 0.125f);
    plugin->dispatch(vst::effVendorSpecific, kSendAutomation, 1, nullptr, 0.0f);
    const auto notices = plugin->automationNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].index, 0);
    EXPECT_EQ(notices[0].value, 0.125f);
    EXPECT_EQ(notices[1].index, 1);
    EXPECT_EQ(notices[1].value, 0.0f);
}

TEST(HostInstance, ChunkRoundTripsBetweenInstances)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    auto a = makeInstance(library);
    auto b = makeInstance(library);
    ASSERT_TRUE(a && b);
    a->setProgram(2);
    a->setParameter(0, 0.875f);

    const std::vector<char> bank = a->getChunk(false);
    ASSERT_FALSE(bank.empty());
    EXPECT_TRUE(b->setChunk(bank, false));
    b->setProgram(2);
    EXPECT_EQ(b->getParameter(0), 0.875f);
    EXPECT_EQ(b->getChunk(false), bank);

    // A chunk of the wrong size is refused, as the plug-in answers.
    EXPECT_FALSE(b->setChunk(std::vector<char>(bank.begin(), bank.end() - 1), false));
    EXPECT_FALSE(b->setChunk({}, true));
}

TEST(HostInstance, CloseIsSentOnceAndEndsTheInstance)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    auto plugin = makeInstance(library);
    ASSERT_TRUE(plugin);
    plugin->close();
    EXPECT_TRUE(plugin->isClosed());
    plugin->close(); // no second effClose on a deleted object (ASan would catch it)
}

// Block processing: every arrangement of calls gives the plain gain result.
struct BlockCase {
    const char* label;
    std::vector<int> sizes;
    bool inPlace;
    bool doublePrecision;
};

// Test names show the case label rather than its bytes.
void PrintTo(const BlockCase& c, std::ostream* os)
{
    *os << c.label;
}

class BlockProcessing : public ::testing::TestWithParam<BlockCase> {};

TEST_P(BlockProcessing, MatchesTheGainForAnyCallPattern)
{
    const BlockCase& c = GetParam();
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    auto plugin = makeInstance(library);
    ASSERT_TRUE(plugin);
    plugin->setParameter(0, 0.75f); // gain 1.5

    host::AudioBuffer input;
    input.channels.assign(2, std::vector<double>(1000));
    for (std::size_t i = 0; i < 1000; ++i) {
        input.channels[0][i] = std::sin(0.01 * static_cast<double>(i)) * 0.5;
        input.channels[1][i] = (static_cast<double>(i % 7) - 3.0) / 8.0;
    }
    host::RenderSettings settings;
    settings.blockSizes = c.sizes;
    settings.inPlace = c.inPlace;
    settings.doublePrecision = c.doublePrecision;
    settings.tailFrames = 37;

    const host::AudioBuffer output = host::renderThrough(*plugin, input, settings);
    ASSERT_EQ(output.numChannels(), 2);
    ASSERT_EQ(output.numFrames(), 1037u);
    for (int ch = 0; ch < 2; ++ch) {
        for (std::size_t i = 0; i < 1037; ++i) {
            const double in = i < 1000 ? input.channels[static_cast<std::size_t>(ch)][i] : 0.0;
            const double expected =
                c.doublePrecision ? in * 1.5 : static_cast<double>(static_cast<float>(in) * 1.5f);
            ASSERT_EQ(output.channels[static_cast<std::size_t>(ch)][i], expected) << "channel " << ch << " frame " << i;
        }
    }
    EXPECT_EQ(plugin->samplePosition(), 1037.0);
}

INSTANTIATE_TEST_SUITE_P(
    Host, BlockProcessing,
    ::testing::Values(BlockCase{"single_frames", {1}, false, false}, BlockCase{"odd", {17}, true, false},
                      BlockCase{"larger_than_input", {4096}, false, true},
                      BlockCase{"mixed_in_place_double", {1, 511, 96, 3}, true, true},
                      BlockCase{"nonpositive_sizes_skipped", {0, -3, 200}, false, false}),
    [](const ::testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.label); });

TEST(BlockProcessing, MonoInputFeedsBothPluginInputs)
{
    host::PluginLibrary library;
    ASSERT_TRUE(library.load(TEST_GAIN_PLUGIN));
    auto plugin = makeInstance(library);
    ASSERT_TRUE(plugin);
    host::AudioBuffer mono;
    mono.channels.assign(1, std::vector<double>{0.25, -0.5, 0.125});
    const host::AudioBuffer output = host::renderThrough(*plugin, mono, {});
    ASSERT_EQ(output.numChannels(), 2);
    EXPECT_EQ(output.channels[0], mono.channels[0]);
    EXPECT_EQ(output.channels[1], mono.channels[0]);
}

} // namespace

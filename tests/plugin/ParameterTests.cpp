// The parameter table: the mapping of each value into the engine settings,
// switches at exactly 0, thresholds, and the handling of bad values.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "FakeHost.h"

namespace {

// Processes `frames` samples of a constant level on both inputs.
void processConstant(Doxaro& plugin, float level, int frames)
{
    std::vector<float> left(frames, level), right(frames, level);
    float* io[2] = {left.data(), right.data()};
    plugin.processReplacing(io, io, frames);
}

} // namespace

TEST(Parameters, SelectorThresholds)
{
    struct Case {
        int index;
        float value;
        int Doxaro::Switches::*field;
        int expected;
    };
    const Case cases[] = {
        {param::InputChannel, 0.0f, &Doxaro::Switches::inputMode, 0},
        {param::InputChannel, 0.29f, &Doxaro::Switches::inputMode, 0},
        {param::InputChannel, 0.3f, &Doxaro::Switches::inputMode, 1},
        {param::InputChannel, 0.5f, &Doxaro::Switches::inputMode, 1},
        {param::InputChannel, 0.59f, &Doxaro::Switches::inputMode, 1},
        {param::InputChannel, 0.6f, &Doxaro::Switches::inputMode, 2},
        {param::InputChannel, 1.0f, &Doxaro::Switches::inputMode, 2},
        {param::HighRes, 0.0f, &Doxaro::Switches::oversampling, 2},
        {param::HighRes, 0.5f, &Doxaro::Switches::oversampling, 1},
        {param::HighRes, 1e-7f, &Doxaro::Switches::oversampling, 1},
        {param::HighRes, 1.0f, &Doxaro::Switches::oversampling, 1},
    };
    for (const Case& c : cases) {
        auto plugin = makePlugin();
        plugin->setParameter(c.index, c.value);
        plugin->waitForSettings();
        EXPECT_EQ(plugin->switches().*c.field, c.expected) << "index " << c.index << " value " << c.value;
    }
}

TEST(Parameters, AmplifierModelByTypeAndChannel)
{
    struct Case {
        float type;
        float channel;
        int model;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0},    {0.33f, 0.5f, 0},    {0.33f, 0.5001f, 1}, {0.3301f, 0.0f, 2},
        {0.5f, 1.0f, 3},    {0.66f, 0.5f, 2},    {0.66f, 0.51f, 3},   {0.6601f, 0.0f, 4},
        {1.0f, 0.5f, 4},    {1.0f, 0.5001f, 5},  {1.0f, 1.0f, 5},
    };
    auto plugin = makePlugin();
    for (const Case& c : cases) {
        plugin->setParameter(param::AmpType, c.type);
        plugin->setParameter(param::AmpChannel, c.channel);
        plugin->waitForSettings();
        EXPECT_EQ(plugin->switches().modelIndex, c.model) << "type " << c.type << " channel " << c.channel;
    }
}

TEST(Parameters, SwitchesEngageAtExactlyZero)
{
    struct Case {
        int index;
        bool Doxaro::Switches::*field;
        bool whenZero;
    };
    const Case cases[] = {
        {param::Bypass, &Doxaro::Switches::bypassed, true},
        {param::HighRes, &Doxaro::Switches::antiAliasing, true},
        {param::LimiterOnOff, &Doxaro::Switches::limiterEngaged, true},
        {param::CabType, &Doxaro::Switches::stereoCabinet, false},
    };
    for (const Case& c : cases) {
        auto plugin = makePlugin();
        plugin->setParameter(c.index, 0.0f);
        plugin->waitForSettings();
        EXPECT_EQ(plugin->switches().*c.field, c.whenZero) << "index " << c.index;
        for (float other : {1e-6f, 0.5f, 1.0f}) {
            plugin->setParameter(c.index, other);
            plugin->waitForSettings();
            EXPECT_EQ(plugin->switches().*c.field, !c.whenZero) << "index " << c.index << " value " << other;
        }
    }
}

TEST(Parameters, CabinetSlotsOnlyWhenEitherIsEngaged)
{
    auto plugin = makePlugin();
    const struct {
        float cab1, cab2;
        bool on;
    } cases[] = {{0, 0, true}, {1, 0, true}, {0, 1, true}, {1, 1, false}, {0.5f, 0.5f, false}};
    for (const auto& c : cases) {
        plugin->setParameter(param::Cab1OnOff, c.cab1);
        plugin->setParameter(param::Cab2OnOff, c.cab2);
        plugin->waitForSettings();
        EXPECT_EQ(plugin->switches().cabinetsOn, c.on) << c.cab1 << " " << c.cab2;
    }
}

TEST(Parameters, CleanStereoNeedsGateAndAmplifierOff)
{
    auto plugin = makePlugin();
    const struct {
        float gate, amp;
        bool clean;
    } cases[] = {{1, 1, true}, {0, 1, false}, {1, 0, false}, {0, 0, false}, {0.2f, 0.7f, true}};
    for (const auto& c : cases) {
        plugin->setParameter(param::GateOnOff, c.gate);
        plugin->setParameter(param::AmpOnOff, c.amp);
        plugin->waitForSettings();
        EXPECT_EQ(plugin->switches().cleanStereo, c.clean) << c.gate << " " << c.amp;
    }
}

TEST(Parameters, ValuesAreStoredInEngineAndCurrentProgram)
{
    auto plugin = makePlugin();
    plugin->setProgram(3);
    for (int i = 0; i < param::Count; ++i) {
        const float value = static_cast<float>(i) / 64.0f;
        plugin->setParameter(i, value);
        EXPECT_EQ(plugin->getParameter(i), value) << i;
        EXPECT_EQ(plugin->programRecord(3).params[i], value) << i;
    }
    // Other programs keep their values.
    EXPECT_EQ(plugin->programRecord(0).params[param::Input], 0.5f);
    EXPECT_EQ(plugin->getParameter(44), 0.0f);
    EXPECT_EQ(plugin->getParameter(-1), 0.0f);
}

TEST(Parameters, BadValuesAreClampedOrIgnored)
{
    auto plugin = makePlugin();
    plugin->setParameter(param::Output, 0.3f);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        plugin->setParameter(param::Output, bad);
        EXPECT_EQ(plugin->getParameter(param::Output), 0.3f);
        EXPECT_EQ(plugin->programRecord(0).params[param::Output], 0.3f);
    }
    plugin->setParameter(param::Output, 1.5f);
    EXPECT_EQ(plugin->getParameter(param::Output), 1.0f);
    plugin->setParameter(param::Output, -2.0f);
    EXPECT_EQ(plugin->getParameter(param::Output), 0.0f);
    EXPECT_EQ(plugin->programRecord(0).params[param::Output], 0.0f);

    // An index outside the table changes nothing at all.
    const ProgramRecord before = plugin->programRecord(0);
    plugin->setParameter(44, 0.7f);
    plugin->setParameter(-1, 0.7f);
    const ProgramRecord after = plugin->programRecord(0);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST(Parameters, LimiterOnClearsALitClipIndicator)
{
    auto plugin = makePlugin();
    makeChainTransparent(*plugin);
    processConstant(*plugin, 2.0f, 8);
    ASSERT_EQ(plugin->getClipLed(), 1.0f);

    plugin->setParameter(param::LimiterOnOff, 0.5f); // still off: indicator stays
    EXPECT_EQ(plugin->getClipLed(), 1.0f);
    plugin->setParameter(param::LimiterOnOff, 0.0f);
    EXPECT_EQ(plugin->getClipLed(), 0.0f);
}

TEST(Parameters, AutomatedChangesReachTheHost)
{
    auto plugin = makePlugin();
    plugin->setParameterAutomated(param::Reverb, 0.4f);
    EXPECT_EQ(plugin->getParameter(param::Reverb), 0.4f);
    EXPECT_EQ(FakeHost::instance().automations.load(), 1);
    EXPECT_EQ(FakeHost::instance().lastAutomatedIndex.load(), param::Reverb);
}

TEST(Parameters, CabinetSelectorsTakeTheCeiling)
{
    struct Case {
        int index;
        float value;
        int slot;
        int code; // cabinet hundreds + microphone tens + axis units
    };
    const Case cases[] = {
        {param::Cab1Type, 0.0f, 0, 100}, {param::Cab1Type, 0.1f, 0, 200},   {param::Cab1Type, 0.25f, 0, 200},
        {param::Cab1Type, 0.26f, 0, 300}, {param::Cab1Type, 1.0f, 0, 500},  {param::Mic1Type, 0.333333f, 0, 20},
        {param::Mic1Type, 0.666667f, 0, 40}, {param::Mic1Type, 0.0f, 0, 10}, {param::Mic1Axis, 0.0f, 0, 1},
        {param::Mic1Axis, 0.01f, 0, 2},  {param::Cab2Type, 0.1f, 1, 200},   {param::Mic2Type, 1.0f, 1, 40},
        {param::Mic2Axis, 1.0f, 1, 2},
    };
    for (const Case& c : cases) {
        auto plugin = makePlugin();
        // Start from cabinet 1, microphone 1, axis 1 in both slots.
        for (int index : {param::Cab1Type, param::Mic1Type, param::Mic1Axis, param::Cab2Type, param::Mic2Type,
                          param::Mic2Axis})
            plugin->setParameter(index, 0.0f);
        plugin->setParameter(c.index, c.value);
        plugin->waitForSettings();
        const CabinetSlot& slot = plugin->cabinetEngine().slot(c.slot);
        const int selected = c.code >= 100 ? slot.cabinetHundreds : (c.code >= 10 ? slot.micTens : slot.axisUnits);
        EXPECT_EQ(selected, c.code) << "index " << c.index << " value " << c.value;
    }
}

TEST(Parameters, CabinetSlotSettingsReachTheEngine)
{
    auto plugin = makePlugin();
    plugin->setParameter(param::Mic2Pos, 0.125f);
    plugin->setParameter(param::Mic2Distance, 0.75f);
    plugin->setParameter(param::Mic2Volume, 0.375f);
    plugin->setParameter(param::Mic2Panning, 0.625f);
    plugin->setParameter(param::Mic2Phase, 0.0f);
    plugin->setParameter(param::Cab2OnOff, 0.5f);
    plugin->setParameter(param::CabBlend, 0.25f);
    plugin->setParameter(param::CabType, 1.0f);
    plugin->waitForSettings();
    const CabinetEngine& cabinet = plugin->cabinetEngine();
    const CabinetSlot& slot = cabinet.slot(1);
    EXPECT_EQ(slot.position, 0.125f);
    EXPECT_EQ(slot.distance, 0.75f);
    EXPECT_EQ(slot.volume, 0.375f);
    EXPECT_EQ(slot.pan, 0.625f);
    EXPECT_TRUE(slot.invert);
    EXPECT_TRUE(slot.off);
    EXPECT_FALSE(cabinet.slot(0).off);
    EXPECT_EQ(cabinet.blend(), 0.25f);
    EXPECT_TRUE(cabinet.stereo());
}

// A cabinet setting written with a new value rebuilds the responses the
// audio thread plays; "CAB type" and "CAB blend" do too.
TEST(Parameters, CabinetChangesRebuildTheResponse)
{
    auto plugin = makePlugin();
    plugin->setParameter(param::Cab1OnOff, 0.0f);
    plugin->setParameter(param::Cab2OnOff, 0.0f);
    plugin->setParameter(param::CabType, 0.0f);
    plugin->waitForSettings();
    auto response = [&] {
        const double* r = plugin->cabinetEngine().channelResponse(0);
        return std::vector<double>(r, r + 4096);
    };
    for (int index : {param::Mic1Pos, param::CabBlend, param::CabType}) {
        const std::vector<double> before = response();
        const float value = plugin->getParameter(index);
        plugin->setParameter(index, value < 0.5f ? 0.9f : 0.1f);
        plugin->waitForSettings();
        EXPECT_NE(response(), before) << param::kNames[index];
        plugin->setParameter(index, value);
        plugin->waitForSettings();
        EXPECT_EQ(response(), before) << param::kNames[index];
    }
}

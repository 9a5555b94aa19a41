#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/StateChunk.h"
#include "tests/plugin/StateHost.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes chunkOf(Doxaro& plugin, bool single)
{
    void* data = nullptr;
    const vst::VstInt32 size = plugin.getChunk(&data, single);
    const auto* p = static_cast<const unsigned char*>(data);
    return Bytes(p, p + size);
}

// Gives every program something of its own: name, values, flags and path.
void personalise(Doxaro& plugin)
{
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        plugin.setProgram(k);
        plugin.setProgramName(("Custom " + std::to_string(k)).c_str());
        plugin.setParameter(param::AmpGain, 0.01f * float(k));
        plugin.setParameter(param::Reverb, 1.0f - 0.02f * float(k));
        plugin.setProgramFlags(std::int16_t(k % 2), std::int16_t((k / 2) % 2));
        if (k % 3 == 0)
            plugin.setResponsePath(("/nowhere/response-" + std::to_string(k) + ".wav").c_str());
    }
}

ProgramRecord recordAt(const Bytes& bank, int k)
{
    ProgramRecord r;
    std::memcpy(&r, bank.data() + 8 + std::size_t(k) * sizeof(ProgramRecord), sizeof r);
    return r;
}

} // namespace

TEST(StateChunk, BankRoundTripReproducesEveryProgramAndKeepsTheProgramIndex)
{
    auto source = StateHost::makePlugin();
    personalise(*source);
    source->setProgram(3);
    const Bytes bank = chunkOf(*source, false);
    ASSERT_EQ(bank.size(), 11432u);

    auto target = StateHost::makePlugin();
    target->setProgram(7);
    ASSERT_EQ(target->setChunk(const_cast<unsigned char*>(bank.data()), vst::VstInt32(bank.size()), false), 1);
    EXPECT_EQ(target->getProgram(), 7);
    // The same bytes come back out: names, values, flags and paths of all 24 programs.
    EXPECT_EQ(chunkOf(*target, false), bank);
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        const ProgramRecord r = target->programRecord(k);
        EXPECT_STREQ(r.name, ("Custom " + std::to_string(k)).c_str());
        EXPECT_EQ(r.panelFlag, k % 2);
        EXPECT_EQ(r.meterFlag, (k / 2) % 2);
        EXPECT_STREQ(r.irPath, k % 3 == 0 ? ("/nowhere/response-" + std::to_string(k) + ".wav").c_str() : "empty");
    }
    // The receiver runs its own current program with the new contents.
    EXPECT_FLOAT_EQ(target->getParameter(param::AmpGain), 0.07f);
    EXPECT_FLOAT_EQ(target->getParameter(param::Reverb), 1.0f - 0.14f);
}

TEST(StateChunk, SingleProgramChunkReplacesOnlyTheCurrentProgram)
{
    auto source = StateHost::makePlugin();
    personalise(*source);
    source->setProgram(4);
    const Bytes program = chunkOf(*source, true);
    ASSERT_EQ(program.size(), 476u);

    auto target = StateHost::makePlugin();
    target->setProgram(9);
    const Bytes before = chunkOf(*target, false);
    ASSERT_EQ(target->setChunk(const_cast<unsigned char*>(program.data()), 476, true), 1);
    EXPECT_EQ(target->getProgram(), 9);
    const Bytes after = chunkOf(*target, false);
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        const ProgramRecord r = recordAt(after, k);
        if (k == 9)
            EXPECT_EQ(std::memcmp(&r, program.data(), 476), 0);
        else
            EXPECT_EQ(std::memcmp(&r, before.data() + 8 + k * 476, 476), 0) << k;
    }
    EXPECT_FLOAT_EQ(target->getParameter(param::AmpGain), 0.04f);
}

TEST(StateChunk, WrongSizesAnswerZeroAndChangeNothing)
{
    auto plugin = StateHost::makePlugin();
    plugin->setProgram(2);
    const Bytes before = chunkOf(*plugin, false);
    Bytes junk(20000, 0x41);
    struct Case {
        void* data;
        int size;
        bool single;
    };
    const Case cases[] = {
        {junk.data(), 475, true},   {junk.data(), 477, true}, {junk.data(), 11432, true}, {junk.data(), 0, true},
        {junk.data(), 11431, false}, {junk.data(), 476, false}, {junk.data(), -1, false},  {nullptr, 11432, false},
        {nullptr, 476, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plugin->setChunk(c.data, c.size, c.single), 0) << c.size << " " << c.single;
        EXPECT_EQ(chunkOf(*plugin, false), before) << c.size << " " << c.single;
        EXPECT_EQ(plugin->getProgram(), 2);
    }
}

TEST(StateChunk, HostileRecordIsMadeSafe)
{
    auto plugin = StateHost::makePlugin();
    plugin->setProgram(1);
    const ProgramRecord previous = plugin->programRecord(1);

    ProgramRecord hostile;
    std::memset(&hostile, 'Z', sizeof hostile); // no terminator anywhere, bad header
    for (int i = 0; i < param::Count; ++i)
        hostile.params[i] = 0.5f;
    hostile.params[param::AmpGain] = std::nanf("");
    hostile.params[param::AmpLow] = INFINITY;
    hostile.params[param::AmpMid] = -INFINITY;
    hostile.params[param::AmpHigh] = 7.0f;
    hostile.params[param::AmpPresence] = -3.0f;
    hostile.params[param::Output] = 1e-45f; // denormal but a number: kept
    ASSERT_EQ(plugin->setChunk(&hostile, sizeof hostile, true), 1);

    const ProgramRecord r = plugin->programRecord(1);
    EXPECT_EQ(std::memcmp(r.magic, "PDXV1", 6), 0);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(std::string(r.name), std::string(24, 'Z'));
    EXPECT_EQ(std::string(r.irPath), std::string(259, 'Z'));
    char name[64];
    plugin->getProgramName(name);
    EXPECT_EQ(std::string(name), std::string(24, 'Z'));
    // Not a number: the program keeps what it had. Out of range: clamped.
    EXPECT_EQ(r.params[param::AmpGain], previous.params[param::AmpGain]);
    EXPECT_EQ(r.params[param::AmpLow], previous.params[param::AmpLow]);
    EXPECT_EQ(r.params[param::AmpMid], previous.params[param::AmpMid]);
    EXPECT_EQ(r.params[param::AmpHigh], 1.0f);
    EXPECT_EQ(r.params[param::AmpPresence], 0.0f);
    EXPECT_EQ(r.params[param::Output], 1e-45f);
    for (int i = 0; i < param::Count; ++i)
        EXPECT_EQ(plugin->getParameter(i), r.params[i]) << i;
}

TEST(StateChunk, RandomBytesAreHarmless)
{
    std::mt19937 random(12345);
    std::vector<float> in(256), outL(256), outR(256);
    for (int round = 0; round < 6; ++round) {
        auto plugin = StateHost::makePlugin();
        plugin->setProgram(round);
        Bytes bank(11432);
        for (auto& b : bank)
            b = std::uint8_t(random());
        ASSERT_EQ(plugin->setChunk(bank.data(), vst::VstInt32(bank.size()), false), 1);
        for (int k = 0; k < BankImage::kPrograms; ++k) {
            const ProgramRecord r = plugin->programRecord(k);
            EXPECT_LT(strnlen(r.name, sizeof r.name), 25u);
            EXPECT_LT(strnlen(r.irPath, sizeof r.irPath), sizeof r.irPath);
            for (float v : r.params)
                ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << v;
        }
        // The chain runs with whatever settings the bytes made.
        for (int i = 0; i < 256; ++i)
            in[std::size_t(i)] = 0.5f * std::sin(0.05f * float(i));
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        for (int block = 0; block < 20; ++block) {
            plugin->processReplacing(inputs, outputs, 256);
            for (int i = 0; i < 256; ++i)
                ASSERT_TRUE(std::isfinite(outL[std::size_t(i)]) && std::isfinite(outR[std::size_t(i)]));
        }
    }
}

TEST(StateChunk, SnapshotStaysAsTakenUntilTheNextCall)
{
    auto plugin = StateHost::makePlugin();
    void* data = nullptr;
    const vst::VstInt32 size = plugin->getChunk(&data, false);
    const Bytes taken(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    plugin->setParameter(param::AmpGain, 0.123f);
    plugin->setProgramName("Changed");
    EXPECT_EQ(std::memcmp(data, taken.data(), taken.size()), 0);
    // The next call sees the changes.
    EXPECT_NE(chunkOf(*plugin, false), taken);
}

TEST(StateChunk, SetChunkSendsNoAutomation)
{
    auto source = StateHost::makePlugin();
    personalise(*source);
    const Bytes bank = chunkOf(*source, false);
    auto target = StateHost::makePlugin();
    StateHost::resetCounts();
    ASSERT_EQ(target->setChunk(const_cast<unsigned char*>(bank.data()), vst::VstInt32(bank.size()), false), 1);
    EXPECT_EQ(StateHost::automations, 0);
}

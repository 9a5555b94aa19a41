// Programs: the factory bank, switching, names, and the state chunks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "FakeHost.h"
#include "plugin/FactoryPrograms.h"

namespace {

std::string programName(Doxaro& plugin, int index)
{
    char text[64];
    plugin.getProgramNameIndexed(0, index, text);
    return text;
}

} // namespace

TEST(Programs, FactoryBankLayout)
{
    auto plugin = makePlugin();
    for (int p = 0; p < 24; ++p) {
        const ProgramRecord record = plugin->programRecord(p);
        EXPECT_EQ(std::memcmp(record.magic, "PDXV1", 6), 0) << p;
        EXPECT_EQ(record.version, 1);
        EXPECT_EQ(record.panelFlag, 1);
        EXPECT_EQ(record.meterFlag, 1);
        EXPECT_STREQ(record.irPath, "empty");
        EXPECT_STREQ(record.name, kFactoryPrograms[p].name);
        for (int i = 0; i < param::Count; ++i)
            EXPECT_EQ(record.params[i], static_cast<float>(kFactoryPrograms[p].values[i])) << p << "/" << i;
    }
    void* data = nullptr;
    ASSERT_EQ(plugin->getChunk(&data, false), 11432);
    const auto* bytes = static_cast<const unsigned char*>(data);
    EXPECT_EQ(std::memcmp(bytes, "BDXV1", 6), 0);
    EXPECT_EQ(bytes[6], 1); // little-endian version 1
    EXPECT_EQ(bytes[7], 0);
    // Program 1's name sits at 8 + 476 + 8.
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 8 + 476 + 8), "Single Coil Ballad Strum");
}

TEST(Programs, FactoryTableSpotChecks)
{
    // Values that differ from program to program, taken from the sound designer's sheet.
    struct Case {
        int program;
        int index;
        double value;
    };
    const Case cases[] = {
        {0, param::Reverb, 0.355},     {2, param::Input, 0.505},      {6, param::Cab2OnOff, 1},
        {8, param::Output, 0.67},      {12, param::TremoloSpeed, 0.205}, {13, param::TremoloDepth, 0.52},
        {17, param::CabType, 1},       {21, param::CabType, 1},       {17, param::Output, 0.28},
        {23, param::Mic2Distance, 0.838384}, {21, param::Cab2Type, 1}, {15, param::Input, 0.825},
        {18, param::Mic2Volume, 0.433333}, {9, param::AmpGain, 0},    {4, param::CabBlend, 0.410256},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kFactoryPrograms[c.program].values[c.index], c.value) << c.program << "/" << c.index;
    // The fifteen parameters every program shares.
    const struct {
        int index;
        double value;
    } shared[] = {{param::Bypass, 1},       {param::InputChannel, 1}, {param::GateOnOff, 1},
                  {param::GateThreshold, 0}, {param::GateAttack, 0},  {param::GateDecay, 0},
                  {param::HighRes, 1},      {param::AmpOnOff, 0},     {param::TremoloSync, 1},
                  {param::Cab1OnOff, 0},    {param::Mic1Panning, 0},  {param::Mic1Phase, 1},
                  {param::Mic2Phase, 1},    {param::Mic2Panning, 1},  {param::LimiterOnOff, 1}};
    for (const FactoryProgram& program : kFactoryPrograms)
        for (const auto& s : shared)
            EXPECT_EQ(program.values[s.index], s.value) << program.name << "/" << s.index;
}

TEST(Programs, SwitchingAppliesEveryValue)
{
    auto plugin = makePlugin();
    plugin->setProgram(17);
    plugin->waitForSettings();
    EXPECT_EQ(plugin->getProgram(), 17);
    EXPECT_EQ(plugin->getParameter(param::CabType), 1.0f);
    EXPECT_TRUE(plugin->switches().stereoCabinet);
    for (int i = 0; i < param::Count; ++i)
        EXPECT_EQ(plugin->getParameter(i), static_cast<float>(kFactoryPrograms[17].values[i])) << i;
    // "Stoner Age": MV lead.
    EXPECT_EQ(plugin->switches().modelIndex, 1);

    plugin->setProgram(0);
    plugin->waitForSettings();
    EXPECT_FALSE(plugin->switches().stereoCabinet);
    EXPECT_EQ(plugin->switches().modelIndex, 4);
}

TEST(Programs, OutOfRangeProgramsAreIgnored)
{
    auto plugin = makePlugin();
    plugin->setProgram(9);
    plugin->setParameter(param::Output, 0.123f);
    for (int outside : {24, -1, 100})
        plugin->setProgram(outside);
    EXPECT_EQ(plugin->getProgram(), 9);
    EXPECT_EQ(plugin->getParameter(param::Output), 0.123f);
}

TEST(Programs, EditsStayInTheirProgram)
{
    auto plugin = makePlugin();
    plugin->setParameter(param::AmpGain, 0.9f);
    plugin->setProgram(1);
    EXPECT_EQ(plugin->getParameter(param::AmpGain), 0.23f);
    plugin->setProgram(0);
    EXPECT_EQ(plugin->getParameter(param::AmpGain), 0.9f);
}

TEST(Programs, Names)
{
    auto plugin = makePlugin();
    const char* expected[24] = {"Clean Reverb", "Single Coil Ballad Strum", "Single Coil Indie Folk", "Tight Clean",
                                "Kick'n Clean", "Crack and Crunch", "Bluesy", "Swell", "Thick Clean", "Springverb",
                                "Hollow Clean", "Vintage Combo", "Next Room", "Wave", "Super Over Drive", "Use Strat",
                                "Twin with Reverb", "Stoner Age", "Killer Stroke", "Enslaver", "Too Big",
                                "Stoned and Doomed", "Distant 1", "Distant 2"};
    for (int p = 0; p < 24; ++p)
        EXPECT_EQ(programName(*plugin, p), expected[p]) << p;

    plugin->setProgram(4);
    plugin->setProgramName("abcdefghijklmnopqrstuvwxyz1234"); // 30 characters
    EXPECT_EQ(programName(*plugin, 4), "abcdefghijklmnopqrstuvwx");
    char name[64];
    plugin->getProgramName(name);
    EXPECT_STREQ(name, "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(programName(*plugin, 3), "Tight Clean");
}

TEST(Programs, ReselectingProgramZeroMatchesConstruction)
{
    auto fresh = makePlugin();
    auto other = makePlugin();
    other->setProgram(19);
    other->setProgram(0);
    other->waitForSettings();
    for (int i = 0; i < param::Count; ++i)
        EXPECT_EQ(other->getParameter(i), fresh->getParameter(i)) << i;
    const Doxaro::Switches a = fresh->switches();
    const Doxaro::Switches b = other->switches();
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST(Programs, ResponsePathAndFlagsDriveTheChainSwitches)
{
    auto plugin = makePlugin();
    EXPECT_FALSE(plugin->switches().userResponseOn);
    EXPECT_TRUE(plugin->switches().meterOn);
    // Any path but "empty" runs the user response, even one naming no file.
    plugin->setResponsePath("/nonexistent/response.wav");
    EXPECT_TRUE(plugin->switches().userResponseOn);
    EXPECT_STREQ(plugin->programRecord(0).irPath, "/nonexistent/response.wav");
    plugin->setProgramFlags(0, 2);
    EXPECT_FALSE(plugin->switches().meterOn);
    plugin->setProgram(1);
    EXPECT_FALSE(plugin->switches().userResponseOn);
    EXPECT_TRUE(plugin->switches().meterOn);
    plugin->setProgram(0);
    EXPECT_TRUE(plugin->switches().userResponseOn);
    EXPECT_FALSE(plugin->switches().meterOn);
}

// An empty path names no file: it must not switch on an (empty, silent)
// user response, however it arrives.
TEST(Programs, EmptyResponsePathMeansNone)
{
    const auto blank = [](ProgramRecord& record) { std::memset(record.irPath, 0, sizeof record.irPath); };
    const struct {
        const char* how;
        void (*apply)(Doxaro& plugin, void (*blank)(ProgramRecord&));
    } cases[] = {
        {"single-program chunk",
         [](Doxaro& plugin, void (*blank)(ProgramRecord&)) {
             ProgramRecord record = plugin.programRecord(plugin.getProgram());
             blank(record);
             ASSERT_EQ(plugin.setChunk(&record, sizeof record, true), 1);
         }},
        {"bank chunk",
         [](Doxaro& plugin, void (*blank)(ProgramRecord&)) {
             void* data = nullptr;
             ASSERT_EQ(plugin.getChunk(&data, false), 11432);
             BankImage image;
             std::memcpy(&image, data, sizeof image);
             for (ProgramRecord& record : image.programs)
                 blank(record);
             ASSERT_EQ(plugin.setChunk(&image, sizeof image, false), 1);
         }},
        {"path set to \"\"",
         [](Doxaro& plugin, void (*)(ProgramRecord&)) { ASSERT_TRUE(plugin.setResponsePath("")); }},
    };
    for (const auto& c : cases) {
        auto plugin = makePlugin();
        plugin->setProgram(4);
        plugin->setResponsePath("/nonexistent/response.wav");
        ASSERT_TRUE(plugin->switches().userResponseOn);
        c.apply(*plugin, blank);
        EXPECT_FALSE(plugin->switches().userResponseOn) << c.how;

        // The program sounds: a sine comes out of the chain.
        plugin->resume();
        std::vector<float> left(4096), right(4096);
        for (std::size_t n = 0; n < left.size(); ++n)
            left[n] = right[n] = 0.3f * float(std::sin(0.05 * double(n)));
        float* io[2] = {left.data(), right.data()};
        plugin->processReplacing(io, io, int(left.size()));
        double peak = 0.0;
        for (std::size_t n = 2048; n < left.size(); ++n)
            peak = std::max(peak, double(std::fabs(left[n])));
        EXPECT_GT(peak, 0.01) << c.how;
    }
}

TEST(Programs, ResponsePathLongerThanItsFieldIsRefusedNotCut)
{
    auto plugin = makePlugin();
    ASSERT_TRUE(plugin->setResponsePath("/kept/response.wav"));
    const std::string longest(259, 'a');
    const std::string tooLong(260, 'b');
    EXPECT_FALSE(plugin->setResponsePath(tooLong.c_str()));
    EXPECT_STREQ(plugin->programRecord(0).irPath, "/kept/response.wav");
    EXPECT_TRUE(plugin->setResponsePath(longest.c_str()));
    EXPECT_EQ(std::string(plugin->programRecord(0).irPath), longest);
}

TEST(Chunks, BankRoundTripReproducesEveryProgram)
{
    auto source = makePlugin();
    source->setProgram(7);
    source->setParameter(param::Reverb, 0.77f);
    source->setProgramName("Renamed");
    source->setResponsePath("/tmp/no-such-file.wav");
    source->setProgramFlags(0, 0);
    void* data = nullptr;
    ASSERT_EQ(source->getChunk(&data, false), 11432);
    BankImage image;
    std::memcpy(&image, data, sizeof image);

    auto target = makePlugin();
    target->setProgram(3);
    ASSERT_EQ(target->setChunk(&image, sizeof image, false), 1);
    EXPECT_EQ(target->getProgram(), 3);
    for (int p = 0; p < 24; ++p) {
        const ProgramRecord a = source->programRecord(p);
        const ProgramRecord b = target->programRecord(p);
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << p;
    }
    // The current program's values are applied.
    for (int i = 0; i < param::Count; ++i)
        EXPECT_EQ(target->getParameter(i), target->programRecord(3).params[i]) << i;
    target->setProgram(7);
    EXPECT_EQ(target->getParameter(param::Reverb), 0.77f);
    EXPECT_TRUE(target->switches().userResponseOn);
    EXPECT_FALSE(target->switches().meterOn);
}

TEST(Chunks, SingleProgramReplacesOnlyTheCurrentOne)
{
    auto plugin = makePlugin();
    plugin->setProgram(2);
    ProgramRecord record = plugin->programRecord(20);
    void* data = nullptr;
    ASSERT_EQ(plugin->getChunk(&data, true), 476);
    EXPECT_STREQ(static_cast<const ProgramRecord*>(data)->name, "Single Coil Indie Folk");

    ASSERT_EQ(plugin->setChunk(&record, sizeof record, true), 1);
    plugin->waitForSettings();
    EXPECT_EQ(plugin->getProgram(), 2);
    EXPECT_STREQ(plugin->programRecord(2).name, "Too Big");
    EXPECT_STREQ(plugin->programRecord(3).name, "Tight Clean");
    EXPECT_EQ(plugin->getParameter(param::Output), 0.5f);
    EXPECT_EQ(plugin->switches().modelIndex, 5);
}

TEST(Chunks, WrongSizesChangeNothing)
{
    auto plugin = makePlugin();
    plugin->setProgram(5);
    BankImage image{};
    for (const auto& [size, single] : {std::pair{475, true}, std::pair{477, true}, std::pair{11432, true},
                                       std::pair{11431, false}, std::pair{476, false}, std::pair{0, false},
                                       std::pair{-476, true}}) {
        EXPECT_EQ(plugin->setChunk(&image, size, single), 0) << size << " " << single;
    }
    EXPECT_STREQ(plugin->programRecord(5).name, "Crack and Crunch");
    EXPECT_EQ(plugin->getParameter(param::AmpGain), 0.86f);
}

TEST(Chunks, HostileContentIsContained)
{
    auto plugin = makePlugin();
    ProgramRecord record = plugin->programRecord(0);
    std::memset(record.name, 'N', sizeof record.name);     // no terminator
    std::memset(record.irPath, 'P', sizeof record.irPath); // no terminator
    record.params[param::Output] = std::numeric_limits<float>::quiet_NaN();
    record.params[param::Reverb] = 7.0f;
    record.params[param::Input] = -3.0f;
    const float outputBefore = plugin->getParameter(param::Output);
    ASSERT_EQ(plugin->setChunk(&record, sizeof record, true), 1);

    char name[64];
    plugin->getProgramName(name);
    EXPECT_EQ(std::string(name), std::string(24, 'N'));
    const ProgramRecord stored = plugin->programRecord(0);
    EXPECT_EQ(std::strlen(stored.irPath), 259u);
    // A value that is not a number leaves the engine and the program in step.
    EXPECT_EQ(plugin->getParameter(param::Output), outputBefore);
    EXPECT_EQ(stored.params[param::Output], outputBefore);
    EXPECT_EQ(plugin->getParameter(param::Reverb), 1.0f);
    EXPECT_EQ(plugin->getParameter(param::Input), 0.0f);
    EXPECT_EQ(stored.params[param::Reverb], 1.0f);
}

TEST(Programs, StoredThirdsSelectMicrophonesTwoAndFour)
{
    // 3 · 0.666667f + 1 lies just above 3 in single precision, so the
    // ceiling picks microphone 4; 0.333333 picks microphone 2.
    auto plugin = makePlugin();
    plugin->setProgram(2); // "Single Coil Indie Folk": Mic 1 Type 0.333333, Mic 2 Type 0.666667
    plugin->waitForSettings();
    EXPECT_EQ(plugin->cabinetEngine().slot(0).micTens, 20);
    EXPECT_EQ(plugin->cabinetEngine().slot(1).micTens, 40);
    EXPECT_EQ(plugin->cabinetEngine().slot(0).cabinetHundreds, 300);
    EXPECT_EQ(plugin->cabinetEngine().slot(1).cabinetHundreds, 200);
}

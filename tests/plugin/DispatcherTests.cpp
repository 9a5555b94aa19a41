// What the host sees through the descriptor and the dispatcher.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "FakeHost.h"

namespace {

vst::VstIntPtr dispatch(Doxaro& plugin, vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                        void* ptr = nullptr, float opt = 0.0f)
{
    vst::AEffect* e = plugin.getAeffect();
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

} // namespace

TEST(Dispatcher, DescriptorCarriesTheIdentity)
{
    auto plugin = makePlugin();
    const vst::AEffect* e = plugin->getAeffect();
    EXPECT_EQ(e->magic, vst::kEffectMagic);
    EXPECT_EQ(e->uniqueID, ('D' << 24) | ('X' << 16) | ('O' << 8) | 's');
    EXPECT_EQ(e->numPrograms, 24);
    EXPECT_EQ(e->numParams, 44);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, vst::effFlagsHasEditor | vst::effFlagsCanReplacing | vst::effFlagsCanDoubleReplacing | vst::effFlagsProgramChunks);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->version, 1);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_EQ(plugin->getSampleRate(), 44100.0f);
    EXPECT_EQ(plugin->getBlockSize(), 1024);
}

TEST(Dispatcher, NumericAnswers)
{
    auto plugin = makePlugin();
    struct Case {
        vst::VstInt32 opcode;
        vst::VstIntPtr expected;
    };
    const Case cases[] = {
        {vst::effGetVendorVersion, 1000},  {vst::effGetVstVersion, 2400},     {vst::effGetPlugCategory, 0},
        {vst::effGetTailSize, 0},          {vst::effGetProgram, 0},           {vst::effOpen, 0},
        {vst::effSetBypass, 0},            {vst::effSetProcessPrecision, 0},  {vst::effGetInputProperties, 0},
        {vst::effGetOutputProperties, 0},  {vst::effGetParameterProperties, 0}, {vst::effString2Parameter, 0},
        {vst::effSetSpeakerArrangement, 0}, {vst::effSetPanLaw, 0},           {vst::effBeginSetProgram, 0},
        {vst::effEndSetProgram, 0},        {vst::effProcessEvents, 0},        {vst::effVendorSpecific, 0},
        {vst::effStartProcess, 0},         {vst::effStopProcess, 0},          {vst::effGetNumMidiInputChannels, 0},
        {vst::effGetNumMidiOutputChannels, 0}, {vst::effEditOpen, 0},         {vst::effEditIdle, 0},
        {vst::effEditClose, 0},            {vst::effEditKeyDown, 0},          {vst::effEditKeyUp, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dispatch(*plugin, c.opcode), c.expected) << "opcode " << c.opcode;
    for (int index : {0, 22, 43, 44, -1})
        EXPECT_EQ(dispatch(*plugin, vst::effCanBeAutomated, index), 1) << index;
}

TEST(Dispatcher, IdentityStrings)
{
    auto plugin = makePlugin();
    char text[128];
    EXPECT_EQ(dispatch(*plugin, vst::effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Doxaro Orvandel Selvarine");
    EXPECT_EQ(dispatch(*plugin, vst::effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Doxaro Orvandel Selvarine Ver.1.0.0");
    EXPECT_EQ(dispatch(*plugin, vst::effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Doxaro, Inc.");
}

TEST(Dispatcher, EffectNameStaysWithinThirtyTwoCharacters)
{
    auto plugin = makePlugin();
    char text[64];
    std::memset(text, 'x', sizeof text);
    dispatch(*plugin, vst::effGetEffectName, 0, 0, text);
    EXPECT_LE(std::strlen(text), 32u);
    for (std::size_t i = 33; i < sizeof text; ++i)
        ASSERT_EQ(text[i], 'x') << "byte " << i;
}

TEST(Dispatcher, CanDoClaimsNothing)
{
    auto plugin = makePlugin();
    for (const char* capability : {"sendVstEvents", "receiveVstTimeInfo", "bypass", "plugAsChannelInsert", ""})
        EXPECT_EQ(dispatch(*plugin, vst::effCanDo, 0, 0, const_cast<char*>(capability)), 0) << capability;
    EXPECT_EQ(dispatch(*plugin, vst::effCanDo), 0);
}

TEST(Dispatcher, NullPointersForTextAndChunkOpcodesAreHarmless)
{
    auto plugin = makePlugin();
    for (vst::VstInt32 opcode : {vst::effSetProgramName, vst::effGetProgramName, vst::effGetParamLabel,
                                 vst::effGetParamDisplay, vst::effGetParamName, vst::effGetProgramNameIndexed,
                                 vst::effGetEffectName, vst::effGetVendorString, vst::effGetProductString,
                                 vst::effGetChunk, vst::effSetChunk, vst::effEditGetRect})
        EXPECT_EQ(dispatch(*plugin, opcode, 0, 476), 0) << "opcode " << opcode;
    char name[32];
    plugin->getProgramName(name);
    EXPECT_STREQ(name, "Clean Reverb");
}

TEST(Dispatcher, EditorAnswersItsRectangle)
{
    auto plugin = makePlugin();
    EXPECT_NE(plugin->getAeffect()->flags & vst::effFlagsHasEditor, 0);
    vst::ERect* rect = nullptr;
    EXPECT_EQ(dispatch(*plugin, vst::effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 650);
    EXPECT_EQ(rect->bottom - rect->top, 500);
    // No parent window: nothing opens.
    EXPECT_EQ(dispatch(*plugin, vst::effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(dispatch(*plugin, vst::effSetEditKnobMode, 0, 2), 1);
}

TEST(Dispatcher, ParameterTexts)
{
    auto plugin = makePlugin();
    char text[64];
    dispatch(*plugin, vst::effGetParamName, 28, 0, text);
    EXPECT_STREQ(text, "Mic 1 Distance");
    dispatch(*plugin, vst::effGetParamName, 41, 0, text);
    EXPECT_STREQ(text, "1 <--> 2");
    plugin->setParameter(param::Mic1Pos, 0.25f);
    dispatch(*plugin, vst::effGetParamDisplay, param::Mic1Pos, 0, text);
    EXPECT_STREQ(text, "0.250000");
    std::strcpy(text, "junk");
    dispatch(*plugin, vst::effGetParamLabel, param::Mic1Pos, 0, text);
    EXPECT_STREQ(text, "");
}

TEST(Dispatcher, SampleRateTakesEffectAtTheNextResume)
{
    auto plugin = makePlugin();
    plugin->setParameter(param::HighRes, 0.0f);
    dispatch(*plugin, vst::effSetSampleRate, 0, 0, nullptr, 96000.0f);
    // Stored only: the clip hold still reflects 44100 Hz.
    EXPECT_EQ(plugin->getSampleRate(), 96000.0f);
    EXPECT_EQ(plugin->switches().clipHold, 22050);

    dispatch(*plugin, vst::effMainsChanged, 0, 1);
    EXPECT_EQ(plugin->switches().clipHold, 48000);
    EXPECT_EQ(plugin->switches().oversampling, 2);

    // Suspending re-initialises as well, so the instance can process at once.
    dispatch(*plugin, vst::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(*plugin, vst::effMainsChanged, 0, 0);
    EXPECT_EQ(plugin->switches().clipHold, 24000);
}

TEST(Dispatcher, UnusableSampleRatesAreIgnored)
{
    auto plugin = makePlugin();
    for (float rate : {0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity()})
        dispatch(*plugin, vst::effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(plugin->getSampleRate(), 44100.0f);
}

TEST(Dispatcher, ProgramOpcodes)
{
    auto plugin = makePlugin();
    dispatch(*plugin, vst::effSetProgram, 0, 5);
    EXPECT_EQ(dispatch(*plugin, vst::effGetProgram), 5);
    for (vst::VstIntPtr outside : {24, 25, -1, 1000})
        dispatch(*plugin, vst::effSetProgram, 0, outside);
    EXPECT_EQ(dispatch(*plugin, vst::effGetProgram), 5);

    char name[64];
    dispatch(*plugin, vst::effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Crack and Crunch");
    EXPECT_EQ(dispatch(*plugin, vst::effGetProgramNameIndexed, 17, 0, name), 1);
    EXPECT_STREQ(name, "Stoner Age");
    std::strcpy(name, "untouched");
    EXPECT_EQ(dispatch(*plugin, vst::effGetProgramNameIndexed, 24, 0, name), 0);
    EXPECT_EQ(dispatch(*plugin, vst::effGetProgramNameIndexed, -1, 0, name), 0);
    EXPECT_STREQ(name, "untouched");
}

TEST(Dispatcher, ChunkOpcodesUseIndexForSingleProgram)
{
    auto plugin = makePlugin();
    void* data = nullptr;
    EXPECT_EQ(dispatch(*plugin, vst::effGetChunk, 1, 0, &data), 476);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data, "PDXV1", 6), 0);
    EXPECT_EQ(dispatch(*plugin, vst::effGetChunk, 0, 0, &data), 11432);
    EXPECT_EQ(std::memcmp(data, "BDXV1", 6), 0);
    EXPECT_EQ(dispatch(*plugin, vst::effSetChunk, 0, 11432, data), 1);
    EXPECT_EQ(dispatch(*plugin, vst::effSetChunk, 1, 11432, data), 0);
}

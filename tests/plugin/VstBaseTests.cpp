// The VST base layer on its own: text helpers, host calls with and without a
// host, the trampolines and the descriptor.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeHost.h"
#include "vst/AudioEffectX.h"

namespace {

// The smallest plug-in: remembers the last parameter write.
class ProbeEffect final : public vst::AudioEffectX {
public:
    explicit ProbeEffect(vst::HostCallback host) : AudioEffectX(host, 3, 5) {}
    void processReplacing(float**, float**, vst::VstInt32 n) override { lastFrames = n; }
    void setParameter(vst::VstInt32 index, float value) override
    {
        lastIndex = index;
        lastValue = value;
    }
    float getParameter(vst::VstInt32 index) override { return index == lastIndex ? lastValue : 0.0f; }

    int lastIndex = -1;
    float lastValue = 0.0f;
    int lastFrames = -1;
};

std::string display(float value, int maxLen = vst::kVstMaxParamStrLen)
{
    char text[40];
    std::memset(text, 'x', sizeof text);
    vst::AudioEffect::float2string(value, text, maxLen);
    return text;
}

} // namespace

TEST(Float2String, FillsTheFieldWithFractionDigits)
{
    struct Case {
        float value;
        const char* expected;
    };
    const Case cases[] = {
        {0.5f, "0.500000"},     {0.25f, "0.250000"},   {1.0f, "1.000000"},   {0.0f, "0.000000"},
        {0.333333f, "0.333333"}, {0.1f, "0.100000"},   {0.9999999f, "1.000000"}, {12.5f, "12.50000"},
        {-0.25f, "-0.25000"},   {9.9999999f, "10.00000"}, {12345678.0f, "12345678"}, {-0.0f, "0.000000"},
        {1.0e9f, "Huge!"},      {-1.0e9f, "-Huge!"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(display(c.value), c.expected) << "value " << c.value;
}

TEST(Float2String, NeverWritesBeyondTheLimit)
{
    for (float value : {0.123456789f, 1234.5678f, -98765.4f, 3.0e20f}) {
        for (int limit : {1, 3, 5, 8}) {
            char text[16];
            std::memset(text, 'x', sizeof text);
            vst::AudioEffect::float2string(value, text, limit);
            const std::size_t length = std::strlen(text);
            EXPECT_LE(length, static_cast<std::size_t>(limit)) << value << " limit " << limit;
            EXPECT_EQ(text[limit + 1], 'x');
        }
    }
}

TEST(CopyString, CopiesAtMostTheLimitAndAlwaysTerminates)
{
    char text[12];
    std::memset(text, 'x', sizeof text);
    vst::AudioEffect::copyString(text, "abcdefghijklmnop", 8);
    EXPECT_STREQ(text, "abcdefgh");
    EXPECT_EQ(text[9], 'x');

    vst::AudioEffect::copyString(text, "ab", 8);
    EXPECT_STREQ(text, "ab");

    vst::AudioEffect::copyString(text, nullptr, 8);
    EXPECT_STREQ(text, "");
    vst::AudioEffect::copyString(nullptr, "ab", 8); // must not crash
}

TEST(AudioEffectBase, WorksWithoutAHostCallback)
{
    ProbeEffect effect(nullptr);
    effect.setParameterAutomated(2, 0.75f);
    EXPECT_EQ(effect.lastIndex, 2);
    EXPECT_EQ(effect.lastValue, 0.75f);
    EXPECT_EQ(effect.getTimeInfo(vst::kVstTempoValid), nullptr);
    EXPECT_FALSE(effect.updateDisplay());
}

TEST(AudioEffectBase, AutomationSetsThenTellsTheHost)
{
    FakeHost::instance().reset();
    ProbeEffect effect(&FakeHost::callback);
    effect.setParameterAutomated(4, 0.25f);
    EXPECT_EQ(effect.lastValue, 0.25f);
    EXPECT_EQ(FakeHost::instance().automations.load(), 1);
    EXPECT_EQ(FakeHost::instance().lastAutomatedIndex.load(), 4);
}

TEST(AudioEffectBase, TrampolinesReachTheObjectAndIgnoreAMissingOne)
{
    ProbeEffect effect(nullptr);
    vst::AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->magic, vst::kEffectMagic);
    EXPECT_EQ(e->object, &effect);
    EXPECT_EQ(e->numPrograms, 3);
    EXPECT_EQ(e->numParams, 5);

    e->setParameter(e, 1, 0.5f);
    EXPECT_EQ(e->getParameter(e, 1), 0.5f);
    e->processReplacing(e, nullptr, nullptr, 17);
    EXPECT_EQ(effect.lastFrames, 17);
    EXPECT_EQ(e->dispatcher(e, vst::effGetProgram, 0, 0, nullptr, 0.0f), 0);

    // A descriptor whose object is gone (or a null descriptor) answers nothing.
    vst::AEffect orphan = *e;
    orphan.object = nullptr;
    EXPECT_EQ(orphan.dispatcher(&orphan, vst::effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(orphan.getParameter(&orphan, 1), 0.0f);
    orphan.setParameter(&orphan, 1, 0.9f);
    orphan.processReplacing(&orphan, nullptr, nullptr, 5);
    orphan.processDoubleReplacing(&orphan, nullptr, nullptr, 5);
    EXPECT_EQ(e->dispatcher(nullptr, vst::effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.lastValue, 0.5f);
    EXPECT_EQ(effect.lastFrames, 17);
}

TEST(AudioEffectBase, EffCloseReleasesTheInstance)
{
    // Under AddressSanitizer a missing delete shows as a leak.
    auto* effect = new ProbeEffect(nullptr);
    vst::AEffect* e = effect->getAeffect();
    EXPECT_EQ(e->dispatcher(e, vst::effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(AudioEffectBase, StoresRateAndBlockSizeOnly)
{
    ProbeEffect effect(nullptr);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    vst::AEffect* e = effect.getAeffect();
    e->dispatcher(e, vst::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    e->dispatcher(e, vst::effSetBlockSize, 0, 333, nullptr, 0.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getBlockSize(), 333);
}

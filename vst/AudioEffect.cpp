#include "vst/AudioEffect.h"

#include <cmath>
#include <cstdint>

namespace vst {

AudioEffect::AudioEffect(HostCallback audioMaster_, VstInt32 numPrograms_, VstInt32 numParams_)
    : audioMaster(audioMaster_), numPrograms(numPrograms_), numParams(numParams_)
{
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = &AudioEffect::dispatchEffect;
    cEffect.process = &AudioEffect::processEffect;
    cEffect.setParameter = &AudioEffect::setParameterEffect;
    cEffect.getParameter = &AudioEffect::getParameterEffect;
    cEffect.numPrograms = numPrograms_;
    cEffect.numParams = numParams_;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = 0;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = &AudioEffect::processEffect;
    cEffect.processDoubleReplacing = &AudioEffect::processDoubleEffect;
}

AudioEffect::~AudioEffect() = default;

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

void AudioEffect::setEditor(std::unique_ptr<AEffEditor> newEditor)
{
    editor = std::move(newEditor);
    setFlag(effFlagsHasEditor, editor != nullptr);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (audioMaster == nullptr)
        return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::reportParameter(VstInt32 index, float value)
{
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    char* const text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        // The host is done with this instance: the base class owns its end.
        close();
        delete this;
        return 1;
    case effSetProgram:
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (text != nullptr)
            setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text != nullptr)
            getProgramName(text);
        return 0;
    case effGetParamLabel:
        if (text != nullptr)
            getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text != nullptr)
            getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text != nullptr)
            getParameterName(index, text);
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        if (editor == nullptr || ptr == nullptr)
            return 0;
        return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor != nullptr && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr)
            editor->idle();
        return 0;
    case effIdentify:
        return fourCharCode('N', 'v', 'E', 'f');
    case effGetChunk:
        if (ptr == nullptr)
            return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        if (ptr == nullptr)
            return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}

void AudioEffect::copyString(char* dest, const char* source, int maxLen)
{
    if (dest == nullptr)
        return;
    int n = 0;
    if (source != nullptr)
        for (; n < maxLen && source[n] != 0; ++n)
            dest[n] = source[n];
    if (maxLen >= 0)
        dest[n] = 0;
}

void AudioEffect::float2string(float value, char* text, int maxLen)
{
    if (text == nullptr)
        return;
    if (maxLen <= 0) {
        if (maxLen == 0)
            text[0] = 0;
        return;
    }
    if (std::isnan(value)) {
        copyString(text, "NaN", maxLen);
        return;
    }
    const bool negative = std::signbit(value) && value != 0.0f;
    const double magnitude = std::fabs(static_cast<double>(value));
    const int sign = negative ? 1 : 0;

    // Integer digits of the magnitude (at least one: "0.25").
    int intDigits = 1;
    for (double limit = 10.0; magnitude >= limit && intDigits <= maxLen; limit *= 10.0)
        ++intDigits;
    if (std::isinf(value) || sign + intDigits > maxLen) {
        copyString(text, negative ? "-Huge!" : "Huge!", maxLen);
        return;
    }

    // Fraction digits that fit after the point; none (and no point) when the
    // integer part fills the field. Rounding can add an integer digit (9.9999999
    // becomes 10.000000), which then takes one fraction digit's place.
    int fracDigits = 0;
    std::uint64_t scaled = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        fracDigits = maxLen - sign - intDigits - 1;
        if (fracDigits < 0)
            fracDigits = 0;
        double scale = 1.0;
        for (int k = 0; k < fracDigits; ++k)
            scale *= 10.0;
        scaled = static_cast<std::uint64_t>(std::llround(magnitude * scale));
        std::uint64_t intLimit = 1;
        for (int k = 0; k < intDigits + fracDigits; ++k)
            intLimit *= 10;
        if (scaled < intLimit)
            break;
        ++intDigits;
        if (sign + intDigits > maxLen) {
            copyString(text, negative ? "-Huge!" : "Huge!", maxLen);
            return;
        }
    }

    // Digits are produced from the right: fraction first, then the integer part.
    char digits[32];
    int count = 0;
    for (int k = 0; k < intDigits + fracDigits; ++k) {
        digits[count++] = static_cast<char>('0' + scaled % 10);
        scaled /= 10;
    }
    int pos = 0;
    if (negative)
        text[pos++] = '-';
    for (int k = 0; k < intDigits; ++k)
        text[pos++] = digits[--count];
    if (fracDigits > 0 || sign + intDigits < maxLen) {
        text[pos++] = '.';
        for (int k = 0; k < fracDigits; ++k)
            text[pos++] = digits[--count];
    }
    text[pos] = 0;
}

// ---- Trampolines ----

VstIntPtr AudioEffect::dispatchEffect(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                      float opt)
{
    if (e == nullptr || e->object == nullptr)
        return 0;
    return static_cast<AudioEffect*>(e->object)->dispatcher(opcode, index, value, ptr, opt);
}

void AudioEffect::processEffect(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (e != nullptr && e->object != nullptr)
        static_cast<AudioEffect*>(e->object)->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::processDoubleEffect(AEffect* e, double** inputs, double** outputs, VstInt32 sampleFrames)
{
    if (e != nullptr && e->object != nullptr)
        static_cast<AudioEffect*>(e->object)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::setParameterEffect(AEffect* e, VstInt32 index, float value)
{
    if (e != nullptr && e->object != nullptr)
        static_cast<AudioEffect*>(e->object)->setParameter(index, value);
}

float AudioEffect::getParameterEffect(AEffect* e, VstInt32 index)
{
    if (e == nullptr || e->object == nullptr)
        return 0.0f;
    return static_cast<AudioEffect*>(e->object)->getParameter(index);
}

} // namespace vst

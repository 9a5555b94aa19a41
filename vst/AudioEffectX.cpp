#include "vst/AudioEffectX.h"

namespace vst {

AudioEffectX::AudioEffectX(HostCallback audioMaster_, VstInt32 numPrograms_, VstInt32 numParams_)
    : AudioEffect(audioMaster_, numPrograms_, numParams_)
{
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    char* const text = static_cast<char*>(ptr);
    switch (opcode) {
    case effEditKeyDown:
    case effEditKeyUp: {
        if (editor == nullptr)
            return 0;
        VstKeyCode key{static_cast<VstInt32>(index), static_cast<unsigned char>(value),
                       static_cast<unsigned char>(opt)};
        const bool used = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
        return used ? 1 : 0;
    }
    case effSetEditKnobMode:
        return editor != nullptr && editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effGetProgramNameIndexed:
        if (text == nullptr)
            return 0;
        return getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effGetEffectName:
        return text != nullptr && getEffectName(text) ? 1 : 0;
    case effGetVendorString:
        return text != nullptr && getVendorString(text) ? 1 : 0;
    case effGetProductString:
        return text != nullptr && getProductString(text) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return text != nullptr ? canDo(text) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetVstVersion:
        return getVstVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    // Answered "not supported": the plug-in claims none of these features.
    case effProcessEvents:
    case effString2Parameter:
    case effGetInputProperties:
    case effGetOutputProperties:
    case effSetSpeakerArrangement:
    case effSetBypass:
    case effGetParameterProperties:
    case effBeginSetProgram:
    case effEndSetProgram:
    case effStartProcess:
    case effStopProcess:
    case effSetPanLaw:
    case effSetProcessPrecision:
    case effGetNumMidiInputChannels:
    case effGetNumMidiOutputChannels:
        return 0;
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

} // namespace vst

#pragma once

#include "vst/AudioEffect.h"

namespace vst {

// Parameter names may be longer than kVstMaxParamStrLen; hosts that ask for
// them provide at least this many characters plus the terminator.
constexpr int kVstExtMaxParamStrLen = 32;

// The VST 2.x layer over AudioEffect: identity strings, capabilities, program
// names by index, automation support, the host's time information and display
// updates. Unlisted 2.x opcodes answer 0 ("not supported").
//
// Threads: as AudioEffect. getTimeInfo() is the one host call made from the
// audio thread; updateDisplay() is made from user-interface threads.
class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(HostCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // ---- Overridable behaviour behind the 2.x opcodes ----

    // Buffers: effect name kVstMaxEffectNameLen + 1, vendor kVstMaxVendorStrLen + 1,
    // product kVstMaxProductStrLen + 1 bytes. Answer true when filled.
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    // Answers 1 (can), -1 (cannot) or 0 (don't know) for a capability string.
    virtual VstInt32 canDo(const char* /*text*/) { return 0; }
    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/) { return false; }
    virtual bool canParameterBeAutomated(VstInt32 /*index*/) { return true; }
    virtual VstInt32 getPlugCategory() { return kPlugCategUnknown; }
    virtual VstInt32 getGetTailSize() { return 0; }
    // effVendorSpecific: a call whose meaning the plug-in's vendor defines,
    // told apart by `index`. Answers 0 for calls it does not know.
    virtual VstIntPtr vendorSpecific(VstInt32 /*index*/, VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/) { return 0; }

    // ---- Calls to the host ----

    // The host's time information for the flags in `filter`, or null when the
    // host gives none (or there is no host). The record belongs to the host and
    // is valid until the next call. Audio thread.
    VstTimeInfo* getTimeInfo(VstInt32 filter);
    // Asks the host to re-read program names and parameter displays.
    bool updateDisplay();
};

} // namespace vst

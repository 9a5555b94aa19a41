#pragma once

// The VST 2.4 plug-in interface as a host sees it: the AEffect descriptor, the
// dispatcher and host-callback opcodes, the time-information record and the
// string limits. Written from the interface's published binary layout; field
// order, sizes and numeric values are what hosts rely on, on x86-64 Linux and
// 64-bit Windows alike (both use natural alignment and one calling convention).

#include <cstddef>
#include <cstdint>

namespace vst {

using VstInt16 = std::int16_t;
using VstInt32 = std::int32_t;
using VstIntPtr = std::intptr_t;

struct AEffect;

// The host's callback, handed to the plug-in entry point.
using HostCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt);
using DispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                     float opt);
using ProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
using ProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs, VstInt32 sampleFrames);
using SetParameterProc = void (*)(AEffect* effect, VstInt32 index, float value);
using GetParameterProc = float (*)(AEffect* effect, VstInt32 index);

constexpr VstInt32 fourCharCode(char a, char b, char c, char d)
{
    return (VstInt32(static_cast<unsigned char>(a)) << 24) | (VstInt32(static_cast<unsigned char>(b)) << 16) |
           (VstInt32(static_cast<unsigned char>(c)) << 8) | VstInt32(static_cast<unsigned char>(d));
}

constexpr VstInt32 kEffectMagic = fourCharCode('V', 's', 't', 'P');

// The descriptor through which the host reaches the plug-in.
struct AEffect {
    VstInt32 magic;                       // kEffectMagic
    DispatcherProc dispatcher;            // opcode entry
    ProcessProc process;                  // accumulating process (obsolete; we point it at processReplacing)
    SetParameterProc setParameter;        // normalised parameter write
    GetParameterProc getParameter;        // normalised parameter read
    VstInt32 numPrograms;                 // number of programs
    VstInt32 numParams;                   // number of parameters
    VstInt32 numInputs;                   // audio inputs
    VstInt32 numOutputs;                  // audio outputs
    VstInt32 flags;                       // VstAEffectFlags
    VstIntPtr resvd1;                     // reserved for the host, 0
    VstIntPtr resvd2;                     // reserved for the host, 0
    VstInt32 initialDelay;                // latency in samples
    VstInt32 realQualities;               // obsolete, 0
    VstInt32 offQualities;                // obsolete, 0
    float ioRatio;                        // obsolete, 1
    void* object;                         // the plug-in's own object
    void* user;                           // free for the host
    VstInt32 uniqueID;                    // registered identifier
    VstInt32 version;                     // plug-in version
    ProcessProc processReplacing;         // 32-bit float process
    ProcessDoubleProc processDoubleReplacing; // 64-bit float process
    char future[56];                      // reserved, zero
};

static_assert(offsetof(AEffect, dispatcher) == 8, "AEffect layout");
static_assert(offsetof(AEffect, numPrograms) == 40, "AEffect layout");
static_assert(offsetof(AEffect, flags) == 56, "AEffect layout");
static_assert(offsetof(AEffect, resvd1) == 64, "AEffect layout");
static_assert(offsetof(AEffect, initialDelay) == 80, "AEffect layout");
static_assert(offsetof(AEffect, object) == 96, "AEffect layout");
static_assert(offsetof(AEffect, uniqueID) == 112, "AEffect layout");
static_assert(offsetof(AEffect, processReplacing) == 120, "AEffect layout");
static_assert(offsetof(AEffect, processDoubleReplacing) == 128, "AEffect layout");
static_assert(sizeof(AEffect) == 192, "AEffect layout");

// AEffect::flags
enum AEffectFlags : VstInt32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Dispatcher opcodes (host to plug-in).
enum EffectOpcode : VstInt32 {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditIdle = 19,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetProgramNameIndexed = 29,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effSetSpeakerArrangement = 42,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effGetParameterProperties = 56,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetPanLaw = 74,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// Host callback opcodes (plug-in to host).
enum HostOpcode : VstInt32 {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterGetTime = 7,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterCanDo = 37,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
};

// The host's transport and tempo, answered to audioMasterGetTime.
struct VstTimeInfo {
    double samplePos;         // current position in samples
    double sampleRate;        // current sample rate
    double nanoSeconds;       // system time
    double ppqPos;            // musical position in quarter notes
    double tempo;             // beats per minute
    double barStartPos;       // last bar start in quarter notes
    double cycleStartPos;     // loop start in quarter notes
    double cycleEndPos;       // loop end in quarter notes
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;           // VstTimeInfoFlags
};

static_assert(offsetof(VstTimeInfo, tempo) == 32, "VstTimeInfo layout");
static_assert(offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo layout");
static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo layout");

// VstTimeInfo::flags, and the filter passed in `value` of audioMasterGetTime.
enum VstTimeInfoFlags : VstInt32 {
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3,
    kVstAutomationWriting = 1 << 6,
    kVstAutomationReading = 1 << 7,
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
    kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15,
};

// The editor's rectangle, answered to effEditGetRect.
struct ERect {
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
};

// String limits, not counting the terminator.
constexpr int kVstMaxProgNameLen = 24;
constexpr int kVstMaxParamStrLen = 8;
constexpr int kVstMaxVendorStrLen = 64;
constexpr int kVstMaxProductStrLen = 64;
constexpr int kVstMaxEffectNameLen = 32;

constexpr VstInt32 kVstVersion = 2400;

} // namespace vst

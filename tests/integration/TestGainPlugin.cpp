// A minimal VST 2.4 effect used to test the host independently of the product:
// a stereo gain with a mute switch, three programs, state chunks, and a few
// vendor-specific opcodes through which tests read what the host answered.
//
// Built three times: as a normal plug-in, with only the old `main` entry
// (TEST_ENTRY_MAIN_ONLY) and as one whose entry returns no effect
// (TEST_RETURN_NO_EFFECT).

#include "vst/VstInterface.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace vst;

// Vendor-specific requests (effVendorSpecific, index = request).
enum TestRequest : VstInt32 {
    kAskTempo = 1,        // returns the host's tempo × 1000
    kAskPosition = 2,     // returns the host's sample position
    kAskTimeFlags = 3,    // returns the flags of the host's time record
    kSendAutomation = 4,  // sends audioMasterAutomate for parameter `value` with value `opt`
};

constexpr int kNumPrograms = 3;
constexpr int kNumParams = 2;
constexpr int kNameSize = 24;

struct Program {
    char name[kNameSize];    // terminated
    float params[kNumParams]; // "Gain" (0.5 = unity), "Mute" (0 = muted)
};

struct TestGain {
    AEffect effect{};
    HostCallback host = nullptr;                  // the host's callback
    Program programs[kNumPrograms] = {{"Unity", {0.5f, 1.0f}}, {"Quiet", {0.25f, 1.0f}}, {"Silent", {0.0f, 1.0f}}};
    int current = 0;                              // current program
    double sampleRate = 44100.0;                  // as stored by effSetSampleRate
    std::string log;                              // dispatcher calls in order, for sequence tests
    bool processed = false;                       // a process call has been logged
};

TestGain* self(AEffect* e)
{
    return static_cast<TestGain*>(e->object);
}

void note(TestGain* p, const std::string& what)
{
    p->log += (p->log.empty() ? "" : ",") + what;
}

const VstTimeInfo* askTime(TestGain* p)
{
    return reinterpret_cast<const VstTimeInfo*>(
        p->host(&p->effect, audioMasterGetTime, 0, kVstPpqPosValid | kVstTempoValid, nullptr, 0.0f));
}

template <typename Sample>
void processAny(AEffect* e, Sample** in, Sample** out, VstInt32 frames)
{
    TestGain* p = self(e);
    if (!p->processed) {
        note(p, "process");
        p->processed = true;
    }
    askTime(p); // as a tempo-following effect does once per block
    const float* params = p->programs[p->current].params;
    const Sample gain = params[1] == 0.0f ? Sample(0) : Sample(2.0f * params[0]);
    for (int c = 0; c < 2; ++c)
        for (VstInt32 i = 0; i < frames; ++i)
            out[c][i] = in[c][i] * gain;
}

void processFloat(AEffect* e, float** in, float** out, VstInt32 frames)
{
    processAny(e, in, out, frames);
}

void processDouble(AEffect* e, double** in, double** out, VstInt32 frames)
{
    processAny(e, in, out, frames);
}

void setParameter(AEffect* e, VstInt32 index, float value)
{
    if (index >= 0 && index < kNumParams)
        self(e)->programs[self(e)->current].params[index] = value;
}

float getParameter(AEffect* e, VstInt32 index)
{
    return index >= 0 && index < kNumParams ? self(e)->programs[self(e)->current].params[index] : 0.0f;
}

VstIntPtr dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    TestGain* p = self(e);
    auto copy = [&](const char* text, std::size_t limit) {
        const std::size_t length = std::min(std::strlen(text), limit);
        std::memcpy(ptr, text, length);
        static_cast<char*>(ptr)[length] = '\0';
        return 1;
    };
    static const char* const kParamNames[kNumParams] = {"Gain", "Mute"};

    switch (opcode) {
    case effOpen:
        note(p, "open");
        return 0;
    case effClose: {
        note(p, "close");
        if (const char* path = std::getenv("SELVARINE_TEST_PLUGIN_LOG")) {
            if (FILE* f = std::fopen(path, "a")) {
                std::fprintf(f, "%s\n", p->log.c_str());
                std::fclose(f);
            }
        }
        delete p;
        return 0;
    }
    case effSetProgram:
        if (value >= 0 && value < kNumPrograms) {
            p->current = static_cast<int>(value);
            note(p, "program" + std::to_string(value));
        }
        return 0;
    case effGetProgram:
        return p->current;
    case effGetProgramName:
        return copy(p->programs[p->current].name, kVstMaxProgNameLen);
    case effGetProgramNameIndexed:
        if (index < 0 || index >= kNumPrograms)
            return 0;
        return copy(p->programs[index].name, kVstMaxProgNameLen);
    case effGetParamName:
        return index >= 0 && index < kNumParams ? copy(kParamNames[index], kVstMaxParamStrLen) : 0;
    case effGetParamLabel:
        return copy(index == 0 ? "x2" : "", kVstMaxParamStrLen);
    case effGetParamDisplay: {
        char text[32];
        std::snprintf(text, sizeof(text), "%.3f", index >= 0 && index < kNumParams
                                                      ? static_cast<double>(p->programs[p->current].params[index])
                                                      : 0.0);
        return copy(text, kVstMaxParamStrLen);
    }
    case effSetSampleRate:
        p->sampleRate = opt;
        note(p, "rate" + std::to_string(static_cast<int>(opt)));
        return 0;
    case effSetBlockSize:
        note(p, "block" + std::to_string(value));
        return 0;
    case effMainsChanged:
        note(p, value ? "mains1" : "mains0");
        if (value)
            askTime(p); // a resume that picks up the host's tempo
        return 0;
    case effGetChunk:
        note(p, index ? "getchunk1" : "getchunk");
        *static_cast<void**>(ptr) = index ? static_cast<void*>(&p->programs[p->current]) : &p->programs;
        return index ? sizeof(Program) : sizeof(p->programs);
    case effSetChunk:
        note(p, index ? "setchunk1" : "setchunk");
        if (index ? value != sizeof(Program) : value != sizeof(p->programs))
            return 0;
        std::memcpy(index ? static_cast<void*>(&p->programs[p->current]) : &p->programs, ptr,
                    static_cast<std::size_t>(value));
        for (Program& program : p->programs)
            program.name[kNameSize - 1] = '\0';
        return 1;
    case effGetEffectName:
        return copy("Test Gain", kVstMaxEffectNameLen);
    case effGetVendorString:
        return copy("Selvarine Tests", kVstMaxVendorStrLen);
    case effGetProductString:
        return copy("Test Gain Effect", kVstMaxProductStrLen);
    case effGetVendorVersion:
        return 7;
    case effGetVstVersion:
        return kVstVersion;
    case effVendorSpecific: {
        const VstTimeInfo* time = index >= kAskTempo && index <= kAskTimeFlags ? askTime(p) : nullptr;
        switch (index) {
        case kAskTempo:
            return time ? static_cast<VstIntPtr>(time->tempo * 1000.0 + 0.5) : -1;
        case kAskPosition:
            return time ? static_cast<VstIntPtr>(time->samplePos) : -1;
        case kAskTimeFlags:
            return time ? time->flags : -1;
        case kSendAutomation:
            setParameter(e, static_cast<VstInt32>(value), opt);
            p->host(e, audioMasterAutomate, static_cast<VstInt32>(value), 0, nullptr, opt);
            return 1;
        default:
            return 0;
        }
    }
    default:
        return 0;
    }
}

AEffect* createEffect(HostCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    auto* p = new TestGain;
    p->host = host;
    AEffect& e = p->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.process = processFloat;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = kNumPrograms;
    e.numParams = kNumParams;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsProgramChunks;
    e.ioRatio = 1.0f;
    e.object = p;
    e.uniqueID = fourCharCode('T', 's', 't', 'G');
    e.version = 3;
    e.processReplacing = processFloat;
    e.processDoubleReplacing = processDouble;
#ifdef TEST_RETURN_NO_EFFECT
    delete p; // a plug-in that gives up after creating its object
    return nullptr;
#else
    return &e;
#endif
}

} // namespace

#ifndef TEST_ENTRY_MAIN_ONLY
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(HostCallback host)
{
    return createEffect(host);
}
#else
// The pre-2.4 entry name. A C++ function cannot be called main unless it is the
// program's, so the symbol name is given to the assembler directly.
extern "C" __attribute__((visibility("default"))) AEffect* oldEntry(HostCallback host) __asm__("main");
extern "C" AEffect* oldEntry(HostCallback host)
{
    return createEffect(host);
}
#endif

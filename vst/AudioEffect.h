#pragma once

#include <memory>

#include "dsp/Relaxed.h"
#include "vst/AEffEditor.h"
#include "vst/VstInterface.h"

namespace vst {

// The base of a VST 2.4 plug-in object: it owns the AEffect descriptor that the
// host sees, routes the host's calls through static trampolines to virtual
// functions, keeps the host callback, the sample rate, the block size and the
// current program index, and holds the editor.
//
// Threads, as hosts use them:
// - dispatcher(): the host's user-interface or automation thread; a few
//   opcodes (effMainsChanged, effSetSampleRate, effSetBlockSize) only while
//   processing is stopped.
// - processReplacing() / processDoubleReplacing(): the audio thread.
// - setParameter() / getParameter(): any thread, including the audio thread.
// A derived class that lets its writers run on several threads serialises
// them itself; this class keeps its own settings in Relaxed fields so that
// reading them from another thread is never a data race.
//
// A null host callback is allowed: every call to the host then answers 0.
class AudioEffect {
public:
    AudioEffect(HostCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;
    virtual ~AudioEffect();

    // The descriptor handed to the host by the library entry point.
    AEffect* getAeffect() { return &cEffect; }

    // ---- Host entry points (see the class comment for their threads) ----

    // Answers one dispatcher opcode. effClose deletes this object.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, VstInt32 /*sampleFrames*/) {}
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }

    // ---- Overridable behaviour behind the 1.x opcodes ----

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }

    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual VstInt32 getProgram() { return curProgram; }
    // `name` holds at least kVstMaxProgNameLen + 1 bytes.
    virtual void setProgramName(const char* /*name*/) {}
    virtual void getProgramName(char* name) { name[0] = 0; }

    // The text buffers below hold at least kVstMaxParamStrLen + 1 bytes (the
    // name: kVstExtMaxParamStrLen + 1 in practice, see AudioEffectX.h).
    virtual void getParameterLabel(VstInt32 /*index*/, char* label) { label[0] = 0; }
    virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { text[0] = 0; }
    virtual void getParameterName(VstInt32 /*index*/, char* text) { text[0] = 0; }

    // State chunks: `isPreset` asks for the current program only.
    virtual VstInt32 getChunk(void** data, bool /*isPreset*/)
    {
        *data = nullptr;
        return 0;
    }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) { return 0; }

    // setParameter(), then the host is told so that it records the change.
    virtual void setParameterAutomated(VstInt32 index, float value);
    // Tells the host a parameter's value without setting it again
    // (audioMasterAutomate), so that its own controls show it.
    void reportParameter(VstInt32 index, float value);

    // ---- Settings ----

    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }
    VstInt32 getNumPrograms() const { return numPrograms; }
    VstInt32 getNumParams() const { return numParams; }
    AEffEditor* getEditor() const { return editor.get(); }

    // ---- Small helpers shared by plug-ins ----

    // Copies at most maxLen characters of `source` and always terminates
    // `dest`, which holds at least maxLen + 1 bytes. Null pointers are ignored.
    static void copyString(char* dest, const char* source, int maxLen);
    // Formats `value` in at most maxLen characters (plus terminator): the
    // integer digits, a point and as many fraction digits as fit, rounded, so
    // 0.5 with maxLen 8 is "0.500000". Independent of the process locale.
    static void float2string(float value, char* text, int maxLen);

protected:
    // Descriptor set-up (construction only).
    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
    void setVersion(VstInt32 version) { cEffect.version = version; }
    void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    void canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }
    void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    // Takes ownership of the editor (null for none) and sets the has-editor flag to match.
    void setEditor(std::unique_ptr<AEffEditor> newEditor);

    // Calls the host; 0 when there is no host callback.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    AEffect cEffect{};                        // the descriptor the host holds (set up at construction)
    HostCallback audioMaster = nullptr;       // host callback; null is tolerated
    std::unique_ptr<AEffEditor> editor;       // the editor, or null when none exists
    Relaxed<float> sampleRate{44100.0f};      // Hz, as last set by the host (any thread reads)
    Relaxed<VstInt32> blockSize{1024};        // maximum block size announced by the host
    Relaxed<VstInt32> curProgram{0};          // current program index
    const VstInt32 numPrograms;               // number of programs
    const VstInt32 numParams;                 // number of parameters

private:
    void setFlag(VstInt32 flag, bool state);

    // Trampolines stored in the descriptor: they find the object through
    // AEffect::object and forward to the virtual functions.
    static VstIntPtr dispatchEffect(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt);
    static void processEffect(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void processDoubleEffect(AEffect* e, double** inputs, double** outputs, VstInt32 sampleFrames);
    static void setParameterEffect(AEffect* e, VstInt32 index, float value);
    static float getParameterEffect(AEffect* e, VstInt32 index);
};

} // namespace vst

#pragma once

// One plug-in instance seen from the host side: the host callback and its
// answers (version, transport, automation notices), and thin typed wrappers
// around the dispatcher and the process entries. The instance is driven the
// way a simple host drives it: create, open, set rate and block size, switch
// mains on, process, switch mains off, close.

#include "host/PluginLibrary.h"
#include "vst/VstInterface.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace host {

// What the host answers to the plug-in.
struct HostSettings {
    vst::VstIntPtr versionAnswer = vst::kVstVersion; // reply to audioMasterVersion (0 = "not a VST 2 host")
    double tempo = 120.0;                             // beats per minute reported by audioMasterGetTime
    double sampleRate = 44100.0;                      // rate reported in the time record
    vst::VstInt32 timeSigNumerator = 4;               // bar of 4/4 for the bar start position
    vst::VstInt32 timeSigDenominator = 4;
};

// One audioMasterAutomate notice from the plug-in.
struct AutomationNotice {
    vst::VstInt32 index; // parameter index
    float value;         // the new normalised value
};

// One audioMasterBeginEdit / audioMasterEndEdit notice from the plug-in's editor.
struct EditNotice {
    vst::VstInt32 index; // parameter index
    bool begin;          // true: the edit begins; false: it ends
    std::size_t automationBefore; // automation notices received before this one
};

class PluginInstance {
public:
    // Calls the library's entry point with this host's callback. Returns null and
    // fills `error` when the library is not loaded or the entry returns no
    // effect or a descriptor without the VST magic. The library must outlive
    // the instance.
    static std::unique_ptr<PluginInstance> create(const PluginLibrary& library, const HostSettings& settings,
                                                  std::string& error);

    // Sends effClose (once) if close() has not been called.
    ~PluginInstance();

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    vst::AEffect& effect() const { return *aeffect; }

    // The dispatcher, unchanged.
    vst::VstIntPtr dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                            void* ptr = nullptr, float opt = 0.0f) const;

    // effClose; the descriptor is gone afterwards and only the destructor may follow.
    void close();
    bool isClosed() const { return aeffect == nullptr; }

    // Strings the plug-in reports; each call hands the plug-in a generously sized,
    // zeroed buffer and returns what it wrote up to the first terminator.
    std::string effectName() const;
    std::string vendorString() const;
    std::string productString() const;
    std::string parameterName(int index) const;
    std::string parameterDisplay(int index) const;
    std::string parameterLabel(int index) const;
    std::string programName(int index) const; // effGetProgramNameIndexed; empty if not answered
    std::string currentProgramName() const;

    // Index of the parameter or program with exactly this name, or -1.
    int findParameter(const std::string& name) const;
    int findProgram(const std::string& name) const;

    int numParameters() const { return aeffect->numParams; }
    int numPrograms() const { return aeffect->numPrograms; }
    int numInputs() const { return aeffect->numInputs; }
    int numOutputs() const { return aeffect->numOutputs; }
    bool canDouble() const { return (aeffect->flags & vst::effFlagsCanDoubleReplacing) != 0; }
    bool canReplacing() const { return (aeffect->flags & vst::effFlagsCanReplacing) != 0; }

    float getParameter(int index) const { return aeffect->getParameter(aeffect, index); }
    void setParameter(int index, float value) const { aeffect->setParameter(aeffect, index, value); }
    void setProgram(int index) const { dispatch(vst::effSetProgram, 0, index); }
    int currentProgram() const { return static_cast<int>(dispatch(vst::effGetProgram)); }

    // Host-side transport and configuration. setSampleRate/setBlockSize also tell the plug-in.
    void setSampleRate(double rate);
    void setBlockSize(int frames) const { dispatch(vst::effSetBlockSize, 0, frames); }
    void setMains(bool on) const { dispatch(vst::effMainsChanged, 0, on ? 1 : 0); }
    void setTempo(double bpm) { tempo.store(bpm, std::memory_order_relaxed); }

    // The state chunk (single = one program). getChunk copies the plug-in's bytes.
    std::vector<char> getChunk(bool single) const;
    bool setChunk(const std::vector<char>& data, bool single) const;

    // Process calls; the transport position advances by `frames` afterwards.
    // Channel pointers may be shared between inputs and outputs (in place).
    void process(float** inputs, float** outputs, int frames);
    void processDouble(double** inputs, double** outputs, int frames);

    // Transport position in samples since creation or the last rewind().
    double samplePosition() const { return position.load(std::memory_order_relaxed); }
    void rewind() { position.store(0.0, std::memory_order_relaxed); }

    // Notices received through audioMasterAutomate, in order.
    std::vector<AutomationNotice> automationNotices() const;
    // Every begin/end-edit notice so far, in order.
    std::vector<EditNotice> editNotices() const;

private:
    explicit PluginInstance(const HostSettings& settings);

    static vst::VstIntPtr hostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                       vst::VstIntPtr value, void* ptr, float opt);
    vst::VstIntPtr answer(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, float opt);
    std::string queryString(vst::VstInt32 opcode, vst::VstInt32 index = 0) const;

    vst::AEffect* aeffect = nullptr;   // the plug-in's descriptor; null once closed
    const vst::VstIntPtr versionAnswer; // reply to audioMasterVersion
    const vst::VstInt32 timeSigNumerator;
    const vst::VstInt32 timeSigDenominator;
    std::atomic<double> tempo;          // BPM; set by the host's control thread, read by the callback
    std::atomic<double> rate;           // sample rate the host runs at
    std::atomic<double> position;       // transport position in samples; advanced by the audio thread
    std::atomic<bool> playing{false};   // transport runs while process calls arrive
    mutable std::mutex noticesLock;     // notices may arrive from any plug-in thread
    std::vector<AutomationNotice> notices;
    std::vector<EditNotice> edits;             // guarded by noticesLock
};

} // namespace host

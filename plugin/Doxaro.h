#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "dsp/Relaxed.h"
#include "plugin/DoxaroEditorLink.h"
#include "plugin/FileCommands.h"
#include "plugin/Parameters.h"
#include "plugin/ProgramRecord.h"
#include "plugin/SettingsWorker.h"
#include "plugin/SignalChain.h"
#include "plugin/WriterTurn.h"
#include "vst/AudioEffectX.h"

// The plug-in: a guitar amplifier and speaker-cabinet simulator. It keeps
// the plug-in's identity, the parameter table, the bank of programs and the
// state chunks, answers the host's calls and hands each host block to the
// signal chain (SignalChain) with the host's tempo.
//
// Threads.
// - Writers: setProgram, setProgramName, setChunk, resume, suspend and the
//   sample-rate and block-size stores run on host threads (user interface,
//   the editor). They take turns (WriterTurn), so every block sees one writer
//   at a time; the private helpers they call assume the turn is held.
// - setParameter runs on any thread, the audio thread included, and does a
//   small, bounded amount of work: it stores the value and its bit in a
//   pending mask and returns. A cheap setting (a gain, a switch, a knob) is
//   applied on the spot when the turn is free; whatever is left pending, and
//   the heavy side of program changes and chunks (cabinet rebuilds, response
//   loads, recomputed networks), is applied by the settings worker, the
//   instance's own thread, in index order, the last value of each parameter
//   winning. getParameter answers the newest value at once.
// - The audio thread runs processReplacing / processDoubleReplacing. It never
//   locks. It asks the host for the time, then runs the chain, which takes a
//   snapshot of its switches once per block; everything else a writer
//   changes is Relaxed (single settings) or handed over by the blocks
//   themselves (coefficient sets).
// - getParameter and the meter reads are lock-free and may run on any thread.
class Doxaro final : public vst::AudioEffectX {
public:
    static constexpr vst::VstInt32 kNumPrograms = BankImage::kPrograms;
    static constexpr vst::VstInt32 kNumParams = param::Count;
    static constexpr vst::VstInt32 kUniqueId = vst::fourCharCode('D', 'X', 'O', 's');
    static constexpr vst::VstInt32 kVersion = 1;            // descriptor version
    static constexpr vst::VstInt32 kVendorVersion = 1000;
    static constexpr const char* kEffectName = "Doxaro Orvandel Selvarine";
    static constexpr const char* kProductString = "Doxaro Orvandel Selvarine Ver.1.0.0";
    static constexpr const char* kVendorString = "Doxaro, Inc.";
    static constexpr const char* kDataFolderName = "OrvandelSelvarine Files";

    static constexpr int kNumAmpModels = SignalChain::kNumAmpModels;
    using Switches = SignalChain::Switches;

    // Creates a processable instance at 44100 Hz holding the factory bank with
    // program 0 applied. Host loading thread.
    explicit Doxaro(vst::HostCallback audioMaster);
    ~Doxaro() override;

    // ---- Audio thread ----
    void processReplacing(float** inputs, float** outputs, vst::VstInt32 sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, vst::VstInt32 sampleFrames) override;

    // ---- Parameters (setParameter and getParameter never wait) ----
    // Any thread. Values that are not finite change nothing; others are
    // clamped into 0..1. Once setParameter has returned, getParameter answers
    // that value or a newer one, even while it waits to be applied.
    void setParameter(vst::VstInt32 index, float value) override;
    float getParameter(vst::VstInt32 index) override;
    // Returns once every change made before the call is heard: the values
    // and program changes waiting for the settings worker, and the response
    // loads they cause. For threads that may wait (hosts rendering offline,
    // tests); never the audio thread.
    void waitForSettings();
    // The settings worker looks for work now rather than at its next poll.
    // For threads that may make system calls (the editor); never the audio thread.
    void wakeSettingsWorker() { worker.wake(); }
    void getParameterName(vst::VstInt32 index, char* text) override;
    void getParameterLabel(vst::VstInt32 index, char* label) override;
    void getParameterDisplay(vst::VstInt32 index, char* text) override;
    bool canParameterBeAutomated(vst::VstInt32) override { return true; }

    // ---- Programs (host and editor threads) ----
    void setProgram(vst::VstInt32 program) override;
    void setProgramName(const char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(vst::VstInt32 category, vst::VstInt32 index, char* text) override;
    // The current program's user impulse-response path ("empty" or "" for none):
    // stored in the program and loaded at once. A path that does not fit the
    // program's 259-character field is refused (answers false, nothing
    // changes): cutting it would name a different file.
    bool setResponsePath(const char* path);
    // The current program's editor flags (1 = shown / on).
    void setProgramFlags(std::int16_t panelFlag, std::int16_t meterFlag);
    // A copy of one program's record (index 0..23; others give program 0).
    ProgramRecord programRecord(vst::VstInt32 index) const;
    // Bank file contents: every program takes the name (first 24 characters),
    // the 44 values and the two flags of its record in `image`, and keeps its
    // response path. Values are made safe as for chunks. The engine is not
    // touched; the caller re-applies the current program.
    void replacePrograms(const BankImage& image);

    // ---- State chunks ----
    // The returned memory belongs to the plug-in and stays valid until the
    // next getChunk call; it is a snapshot taken while holding the writers' turn.
    vst::VstInt32 getChunk(void** data, bool isPreset) override;
    vst::VstInt32 setChunk(void* data, vst::VstInt32 byteSize, bool isPreset) override;

    // ---- Processing state (host threads, while processing is stopped) ----
    void setSampleRate(float rate) override;
    void setBlockSize(vst::VstInt32 size) override;
    void resume() override;
    void suspend() override;

    // ---- Identity ----
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    vst::VstInt32 getVendorVersion() override { return kVendorVersion; }
    vst::VstInt32 canDo(const char*) override { return 0; }
    // Preset, bank and response-file commands from a host
    // (plugin/FileCommandProtocol.h). Host user-interface thread.
    vst::VstIntPtr vendorSpecific(vst::VstInt32 index, vst::VstIntPtr value, void* ptr, float opt) override;

    // ---- Read-outs (any thread, lock-free) ----
    Switches switches() const { return chain.switches(); }
    float getInputPeak() const { return chain.inputPeak(); }  // block peak of the input stage, /2
    float getClipLed() const { return chain.clipLevel(); }    // 1 while the clip indicator is lit
    const std::string& getDataFolder() const { return dataFolder; }
    // The cabinet engine's settings, for inspection on the parameter side
    // while no writer runs (the audio thread never reads them).
    const CabinetEngine& cabinetEngine() const { return chain.cabinet(); }
    // The user response engine, for inspection while no writer runs.
    const UserResponseEngine& userResponseEngine() const { return chain.userResponse(); }
    // The tempo the tremolo syncs to, BPM: the host's last usable tempo.
    double tremoloTempo() const { return chain.tremolo().tempo(); }

private:
    // Holds the writers' turn for a scope. Readers of the bank take it too.
    class WriterScope {
    public:
        explicit WriterScope(const Doxaro& owner) : plugin(const_cast<Doxaro&>(owner)) { plugin.turn.enter(); }
        ~WriterScope() { plugin.turn.leave(); }
        WriterScope(const WriterScope&) = delete;
        WriterScope& operator=(const WriterScope&) = delete;

    private:
        Doxaro& plugin;
    };

    // Work that is not a parameter value, waiting for the settings worker.
    enum PendingJob : unsigned {
        kReloadResponse = 1u, // read the current program's response file again
    };

    // The settings worker's pass: applies what is pending. True when there was work.
    bool runSettingsPass();
    // Applies every pending parameter value once, in index order, with one
    // cabinet rebuild for all of them, then the pending jobs. Turn holder.
    void applyPending();
    // Makes `program` current: its values become the requested values, all
    // pending, and its response file is due for a reload. The work is left
    // to applyPending(). Turn holder.
    void requestProgram(int program);

    // Writer helpers: the caller holds the turn (or is the constructor).
    void applyParameter(int index, float value);
    void selectModel();
    void reloadUserResponse();
    void refreshProgramFlags();
    // Tells the editor that program-level state changed (any thread).
    void programStateChanged();
    // Writes the newest value of every parameter into `record`'s values: the
    // current program as hosts see it. Turn holder.
    void copyRequestedValues(ProgramRecord& record) const;
    void resumeLocked();
    void fillFactoryBank();
    void buildDataFolder();
    ProgramRecord& currentRecord() { return bank.programs[curProgram.load()]; }

    // Asks the host for the time; a usable tempo becomes lastTempo. Audio
    // thread (and resume).
    void pollTempo();

    WriterTurn turn; // one writer at a time; the audio thread only ever tries it

    // ---- Parameter values on their way in (any thread writes; the turn holder applies) ----
    static_assert(param::Count <= 64, "one pending bit per parameter");
    std::array<std::atomic<float>, param::Count> requested{}; // the newest value of each parameter, as hosts see it
    std::atomic<std::uint64_t> pendingMask{0};                // bit i: requested[i] waits to be applied
    std::atomic<unsigned> pendingJobs{0};                     // PendingJob bits waiting for the worker

    // ---- Programs (writers only; the audio thread reads the Relaxed flags below) ----
    BankImage bank{};        // the 24 programs; the current one holds the authoritative values
    BankImage chunkImage{};  // snapshot handed to the host by getChunk

    // ---- The parameters as applied (writers write, any thread reads) ----
    std::array<Relaxed<float>, param::Count> values{};

    // ---- Host facts (audio thread; resume while processing is stopped) ----
    const vst::VstTimeInfo* lastTimeInfo = nullptr; // the host's last time record (not owned)
    double lastTempo = 120.0;                        // last usable host tempo, BPM

    SignalChain chain;

    std::string dataFolder; // folder beside the library holding the manual, with a trailing separator
    FileCommands fileCommands{*this}; // file commands that hosts send as vendor-specific calls
    DoxaroEditorLink editorLink{*this}; // the plug-in as the editor sees it

    // Last, so that it is stopped before anything it works on goes away.
    SettingsWorker worker; // applies the heavy side of settings changes
};

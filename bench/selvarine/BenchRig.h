#pragma once

// One plug-in instance set up the way a host sets it up, fed with the demo
// guitar recording (looped) at the host rate. The bench drives it through
// the VST entry points only: the dispatcher, setParameter and the process
// callbacks.

#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace bench {

// One point of the measurement matrix.
struct BenchCase {
    int program = 0;         // factory program 0..23
    double rate = 44100.0;   // host sample rate, Hz
    bool highRes = false;    // "High Res." engaged (amplifier section at twice the rate)
    int cabMode = 0;         // "CAB type": 0 mono, 1 stereo

    // "p20 96000 hr1 cab0": a short name for tables and benchmark names.
    std::string label() const;
};

// Thread CPU time of the calling thread, seconds.
double threadCpuSeconds();

// The demo guitar at `rate`, about ten seconds, computed once per rate.
const std::vector<float>& guitarAt(double rate);

class BenchRig {
public:
    static constexpr int kMaxBlock = 4096; // largest process call the rig makes

    // A new instance of the loaded library; null with `error` filled when the
    // plug-in does not come up or lacks a parameter the bench sets.
    static std::unique_ptr<BenchRig> create(const host::PluginLibrary& library, std::string& error);

    // Switches processing off, sets the rate, selects the program, sets
    // "High Res." and "CAB type" and switches processing on again; the input
    // starts over from its beginning.
    void configure(const BenchCase& benchCase);
    // "High Res." and "CAB type" of the case, while processing runs (after a
    // program change, which brings the program's own settings).
    void applySwitches(const BenchCase& benchCase);
    // Returns once the plug-in has applied every change made so far (its
    // settings worker included), so that renders do not depend on timing.
    void waitForSettings();

    // Processes the next `frames` (1..kMaxBlock) of the input, 32-bit; with
    // `silent` set, zeros instead (the input position stays).
    void process(int frames, bool silent = false);
    // The same in 64-bit; the double input is the float input widened.
    void processDouble(int frames, bool silent = false);

    host::PluginInstance& plugin() { return *instance; }
    const std::vector<float>& floatOutput(int channel) const { return outFloat[channel == 1 ? 1 : 0]; }
    const std::vector<double>& doubleOutput(int channel) const { return outDouble[channel == 1 ? 1 : 0]; }
    int highResIndex() const { return highResParam; }
    int cabTypeIndex() const { return cabTypeParam; }
    int mic1PosIndex() const { return mic1PosParam; }

private:
    BenchRig() = default;
    // Where the next `frames` input samples start; wraps to the beginning
    // when the rest of the recording is shorter than that.
    std::size_t nextInput(int frames);

    std::unique_ptr<host::PluginInstance> instance; // the plug-in seen from the host
    int highResParam = -1;                          // parameter index of "High Res."
    int cabTypeParam = -1;                          // parameter index of "CAB type"
    int mic1PosParam = -1;                          // parameter index of "Mic 1 Pos"
    const std::vector<float>* input = nullptr;      // the guitar at the current rate
    std::vector<double> inputDouble;                // the same, widened
    std::vector<float> silence;                     // kMaxBlock zeros
    std::vector<double> silenceDouble;              // kMaxBlock zeros
    std::size_t position = 0;                       // next input sample
    std::vector<float> outFloat[2];                 // kMaxBlock output samples per channel
    std::vector<double> outDouble[2];               // kMaxBlock output samples per channel
};

} // namespace bench

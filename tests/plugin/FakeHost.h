#pragma once

#include <atomic>
#include <initializer_list>
#include <memory>

#include "plugin/Doxaro.h"
#include "plugin/Parameters.h"
#include "vst/VstInterface.h"

// A minimal host for driving the plug-in object directly: it answers the
// version query, counts time queries and automation notices, and answers the
// time query with a record whose tempo a test chooses (or with none).
// Every field is atomic: the audio thread and parameter threads call in.
struct FakeHost {
    std::atomic<int> timeQueries{0};      // audioMasterGetTime calls
    std::atomic<int> automations{0};      // audioMasterAutomate calls
    std::atomic<int> lastAutomatedIndex{-1};
    std::atomic<int> displayUpdates{0};   // audioMasterUpdateDisplay calls
    std::atomic<bool> answerTime{false};  // false: the time query answers null
    std::atomic<double> tempo{120.0};     // tempo reported when answering

    void reset();
    static FakeHost& instance();
    static vst::VstIntPtr callback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                   vst::VstIntPtr value, void* ptr, float opt);
};

// A new plug-in instance talking to the fake host (reset first).
std::unique_ptr<Doxaro> makePlugin();

// One parameter and the normalised value a test gives it.
struct ParameterValue {
    param::Index index;
    float value;
};

// Sets the parameters one after the other, in the order given, as a host does.
void setParameters(Doxaro& plugin, std::initializer_list<ParameterValue> values);

// Sets every parameter that shapes the sound so that the chain is a plain
// gain: gate, amplifier, effects, both cabinets and the limiter off, mono
// cabinet section, "Output" 1. The user response is "empty" in every factory
// program. Leaves "Input" and "Input Channel" to the caller.
void makeChainTransparent(Doxaro& plugin);

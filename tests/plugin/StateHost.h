#pragma once

#include <atomic>
#include <memory>

#include "plugin/Doxaro.h"
#include "vst/VstInterface.h"

// The host side of the state tests: answers the version query and counts
// automation notices and display updates; nothing else.
struct StateHost {
    static inline std::atomic<int> automations{0};    // audioMasterAutomate calls
    static inline std::atomic<int> displayUpdates{0}; // audioMasterUpdateDisplay calls

    static vst::VstIntPtr callback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float)
    {
        switch (opcode) {
        case vst::audioMasterVersion:
            return vst::kVstVersion;
        case vst::audioMasterAutomate:
            ++automations;
            return 1;
        case vst::audioMasterUpdateDisplay:
            ++displayUpdates;
            return 1;
        default:
            return 0;
        }
    }

    static std::unique_ptr<Doxaro> makePlugin() { return std::make_unique<Doxaro>(&StateHost::callback); }
    static void resetCounts()
    {
        automations = 0;
        displayUpdates = 0;
    }
};

#include "FakeHost.h"

void FakeHost::reset()
{
    timeQueries = 0;
    automations = 0;
    lastAutomatedIndex = -1;
    displayUpdates = 0;
    answerTime = false;
    tempo = 120.0;
}

FakeHost& FakeHost::instance()
{
    static FakeHost host;
    return host;
}

vst::VstIntPtr FakeHost::callback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr,
                                  void*, float)
{
    FakeHost& host = instance();
    switch (opcode) {
    case vst::audioMasterVersion:
        return vst::kVstVersion;
    case vst::audioMasterAutomate:
        host.lastAutomatedIndex = index;
        ++host.automations;
        return 1;
    case vst::audioMasterUpdateDisplay:
        ++host.displayUpdates;
        return 1;
    case vst::audioMasterGetTime: {
        ++host.timeQueries;
        if (!host.answerTime)
            return 0;
        // One record per thread: the plug-in reads it after the call returns.
        thread_local vst::VstTimeInfo info{};
        info.sampleRate = 44100.0;
        info.tempo = host.tempo;
        info.flags = vst::kVstTempoValid | vst::kVstPpqPosValid;
        return reinterpret_cast<vst::VstIntPtr>(&info);
    }
    default:
        return 0;
    }
}

std::unique_ptr<Doxaro> makePlugin()
{
    FakeHost::instance().reset();
    return std::make_unique<Doxaro>(&FakeHost::callback);
}

void setParameters(Doxaro& plugin, std::initializer_list<ParameterValue> values)
{
    for (const ParameterValue& v : values)
        plugin.setParameter(v.index, v.value);
    plugin.waitForSettings();
}

void makeChainTransparent(Doxaro& plugin)
{
    setParameters(plugin, {{param::GateOnOff, 1.0f},
                           {param::AmpOnOff, 1.0f},
                           {param::FxOnOff, 1.0f},
                           {param::Cab1OnOff, 1.0f},
                           {param::Cab2OnOff, 1.0f},
                           {param::LimiterOnOff, 1.0f},
                           {param::HighRes, 1.0f},
                           {param::CabType, 0.0f},
                           {param::Bypass, 1.0f},
                           {param::Output, 1.0f}});
}

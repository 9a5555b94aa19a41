// The library's entry points. This file is compiled into the plug-in module
// only (not into the static libraries), since it defines a symbol named main.

#include "vst/PluginEntry.h"

#ifdef _WIN32
#define SELVARINE_EXPORT extern "C" __declspec(dllexport)
#else
#define SELVARINE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

vst::AEffect* createEffect(vst::HostCallback audioMaster)
{
    // A host that does not answer the version query is not a VST 2 host.
    if (audioMaster == nullptr || audioMaster(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        vst::AudioEffect* effect = vst::createEffectInstance(audioMaster);
        return effect != nullptr ? effect->getAeffect() : nullptr;
    } catch (...) {
        // Nothing may propagate into the host; no instance is the answer.
        return nullptr;
    }
}

} // namespace

// The VST 2.4 entry point. Host loading thread.
SELVARINE_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallback audioMaster)
{
    return createEffect(audioMaster);
}

// The same entry under the name older hosts look for. The assembler name keeps
// the compiler from treating it as the program's main function.
SELVARINE_EXPORT vst::AEffect* vstMainAlias(vst::HostCallback audioMaster) __asm__("main");
SELVARINE_EXPORT vst::AEffect* vstMainAlias(vst::HostCallback audioMaster)
{
    return createEffect(audioMaster);
}

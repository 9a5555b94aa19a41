#include "host/PluginInstance.h"

#include <cmath>
#include <cstring>

namespace host {

namespace {

// The instance whose entry point is running on this thread. The plug-in may call
// back (version query, time query from its first resume) before the host has
// seen its descriptor, so those calls are routed through this pointer.
thread_local PluginInstance* instanceBeingCreated = nullptr;

// Size of the buffers handed to string queries: far above every VST limit, so a
// plug-in that writes a little too much cannot run past the end.
constexpr std::size_t kStringBufferSize = 512;

} // namespace

PluginInstance::PluginInstance(const HostSettings& settings)
    : versionAnswer(settings.versionAnswer),
      timeSigNumerator(settings.timeSigNumerator),
      timeSigDenominator(settings.timeSigDenominator),
      tempo(settings.tempo),
      rate(settings.sampleRate),
      position(0.0)
{
}

std::unique_ptr<PluginInstance> PluginInstance::create(const PluginLibrary& library, const HostSettings& settings,
                                                       std::string& error)
{
    if (!library.isLoaded() || !library.entry()) {
        error = "no plug-in library is loaded";
        return nullptr;
    }
    std::unique_ptr<PluginInstance> instance(new PluginInstance(settings));

    PluginInstance* const outer = instanceBeingCreated;
    instanceBeingCreated = instance.get();
    vst::AEffect* effect = library.entry()(&PluginInstance::hostCallback);
    instanceBeingCreated = outer;

    if (!effect) {
        error = "the plug-in returned no effect from " + library.entryName() +
                (settings.versionAnswer == 0 ? " (the host reported no VST version)" : "");
        return nullptr;
    }
    if (effect->magic != vst::kEffectMagic) {
        // Not a descriptor we can talk to; there is no safe way to close it.
        error = "the plug-in returned a descriptor without the VST magic number";
        return nullptr;
    }
    if (effect->numInputs < 0 || effect->numOutputs < 0 || effect->numParams < 0 || effect->numPrograms < 0) {
        error = "the plug-in reported negative channel, parameter or program counts";
        effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0.0f);
        return nullptr;
    }
    effect->resvd1 = reinterpret_cast<vst::VstIntPtr>(instance.get());
    instance->aeffect = effect;
    return instance;
}

PluginInstance::~PluginInstance()
{
    close();
}

void PluginInstance::close()
{
    if (!aeffect)
        return;
    vst::AEffect* effect = aeffect;
    aeffect = nullptr;
    // effClose ends the plug-in object's life: the descriptor is not touched after it.
    effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0.0f);
}

vst::VstIntPtr PluginInstance::dispatch(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr,
                                        float opt) const
{
    return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
}

vst::VstIntPtr PluginInstance::hostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                            vst::VstIntPtr value, void* ptr, float opt)
{
    (void)ptr;
    PluginInstance* instance = nullptr;
    if (effect && effect->resvd1)
        instance = reinterpret_cast<PluginInstance*>(effect->resvd1);
    else
        instance = instanceBeingCreated;

    if (!instance)
        return opcode == vst::audioMasterVersion ? vst::kVstVersion : 0;
    return instance->answer(opcode, index, value, opt);
}

vst::VstIntPtr PluginInstance::answer(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, float opt)
{
    switch (opcode) {
    case vst::audioMasterVersion:
        return versionAnswer;

    case vst::audioMasterAutomate: {
        std::lock_guard<std::mutex> guard(noticesLock);
        notices.push_back({index, opt});
        return 0;
    }

    case vst::audioMasterBeginEdit:
    case vst::audioMasterEndEdit: {
        std::lock_guard<std::mutex> guard(noticesLock);
        edits.push_back({index, opcode == vst::audioMasterBeginEdit, notices.size()});
        return 1;
    }

    case vst::audioMasterGetTime: {
        // One record per calling thread: the plug-in reads it right after the
        // call, and an audio thread and a control thread asking at once must
        // not write the same memory.
        thread_local vst::VstTimeInfo record;
        const double samples = position.load(std::memory_order_relaxed);
        const double samplesPerSecond = rate.load(std::memory_order_relaxed);
        const double bpm = tempo.load(std::memory_order_relaxed);
        const double quarterNotes = samplesPerSecond > 0.0 ? samples / samplesPerSecond * bpm / 60.0 : 0.0;
        const double quartersPerBar = 4.0 * timeSigNumerator / timeSigDenominator;

        record = vst::VstTimeInfo{};
        record.samplePos = samples;
        record.sampleRate = samplesPerSecond;
        record.ppqPos = quarterNotes;
        record.tempo = bpm;
        record.barStartPos = std::floor(quarterNotes / quartersPerBar) * quartersPerBar;
        record.timeSigNumerator = timeSigNumerator;
        record.timeSigDenominator = timeSigDenominator;
        record.flags = vst::kVstPpqPosValid | vst::kVstTempoValid | vst::kVstBarsValid | vst::kVstTimeSigValid;
        if (playing.load(std::memory_order_relaxed))
            record.flags |= vst::kVstTransportPlaying;
        (void)value; // the request filter: every field is always filled
        return reinterpret_cast<vst::VstIntPtr>(&record);
    }

    default:
        // Everything else (idle, display updates, begin/end edit, can-do, ...) gets 0.
        return 0;
    }
}

void PluginInstance::setSampleRate(double sampleRate)
{
    rate.store(sampleRate, std::memory_order_relaxed);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
}

std::string PluginInstance::queryString(vst::VstInt32 opcode, vst::VstInt32 index) const
{
    char text[kStringBufferSize] = {};
    dispatch(opcode, index, 0, text);
    text[kStringBufferSize - 1] = '\0';
    return text;
}

std::string PluginInstance::effectName() const
{
    return queryString(vst::effGetEffectName);
}

std::string PluginInstance::vendorString() const
{
    return queryString(vst::effGetVendorString);
}

std::string PluginInstance::productString() const
{
    return queryString(vst::effGetProductString);
}

std::string PluginInstance::parameterName(int index) const
{
    return queryString(vst::effGetParamName, index);
}

std::string PluginInstance::parameterDisplay(int index) const
{
    return queryString(vst::effGetParamDisplay, index);
}

std::string PluginInstance::parameterLabel(int index) const
{
    return queryString(vst::effGetParamLabel, index);
}

std::string PluginInstance::programName(int index) const
{
    char text[kStringBufferSize] = {};
    if (!dispatch(vst::effGetProgramNameIndexed, index, 0, text))
        return {};
    text[kStringBufferSize - 1] = '\0';
    return text;
}

std::string PluginInstance::currentProgramName() const
{
    return queryString(vst::effGetProgramName);
}

int PluginInstance::findParameter(const std::string& name) const
{
    for (int i = 0; i < numParameters(); ++i)
        if (parameterName(i) == name)
            return i;
    return -1;
}

int PluginInstance::findProgram(const std::string& name) const
{
    for (int i = 0; i < numPrograms(); ++i)
        if (programName(i) == name)
            return i;
    return -1;
}

std::vector<char> PluginInstance::getChunk(bool single) const
{
    void* data = nullptr;
    const vst::VstIntPtr size = dispatch(vst::effGetChunk, single ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const char* bytes = static_cast<const char*>(data);
    return std::vector<char>(bytes, bytes + size);
}

bool PluginInstance::setChunk(const std::vector<char>& data, bool single) const
{
    // The plug-in copies the bytes; a private copy keeps the caller's vector const.
    std::vector<char> copy = data;
    return dispatch(vst::effSetChunk, single ? 1 : 0, static_cast<vst::VstIntPtr>(copy.size()),
                    copy.empty() ? nullptr : copy.data()) != 0;
}

void PluginInstance::process(float** inputs, float** outputs, int frames)
{
    playing.store(true, std::memory_order_relaxed);
    aeffect->processReplacing(aeffect, inputs, outputs, frames);
    position.store(position.load(std::memory_order_relaxed) + frames, std::memory_order_relaxed);
}

void PluginInstance::processDouble(double** inputs, double** outputs, int frames)
{
    playing.store(true, std::memory_order_relaxed);
    aeffect->processDoubleReplacing(aeffect, inputs, outputs, frames);
    position.store(position.load(std::memory_order_relaxed) + frames, std::memory_order_relaxed);
}

std::vector<EditNotice> PluginInstance::editNotices() const
{
    std::lock_guard<std::mutex> guard(noticesLock);
    return edits;
}

std::vector<AutomationNotice> PluginInstance::automationNotices() const
{
    std::lock_guard<std::mutex> guard(noticesLock);
    return notices;
}

} // namespace host

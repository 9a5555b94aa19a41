// Doxaro: the parameter table. Each parameter value is stored in the current
// program and in the engine copy, then turned into the settings of the blocks.

#include <algorithm>
#include <bit>
#include <cmath>

#include "plugin/Doxaro.h"

namespace {

// Parameters whose new value costs a few stores or one small coefficient
// set: setParameter applies them on the spot when the writers' turn is free.
// The others select amplifier channels or oversampling (every network
// recomputed) or change the cabinets (both responses rebuilt), and are left
// to the settings worker.
constexpr bool appliesOnTheSpot(int index)
{
    switch (index) {
    case param::HighRes:
    case param::AmpType:
    case param::AmpChannel:
    case param::CabType:
    case param::CabBlend:
        return false;
    default:
        return index < param::Cab1OnOff || index > param::Cab2OnOff + 8;
    }
}

} // namespace

void Doxaro::setParameter(vst::VstInt32 index, float value)
{
    if (index < 0 || index >= param::Count || !std::isfinite(value))
        return;
    const std::uint64_t bit = std::uint64_t{1} << index;
    // The value is published before the bit; whoever clears the bit reads the value after it.
    requested[index].store(std::clamp(value, 0.0f, 1.0f), std::memory_order_release);
    pendingMask.fetch_or(bit, std::memory_order_seq_cst);
    // Only this parameter's own value, and only when nobody holds the turn:
    // anything else waits for the worker's next look.
    if (!appliesOnTheSpot(index) || !turn.tryEnter())
        return;
    if ((pendingMask.fetch_and(~bit, std::memory_order_seq_cst) & bit) != 0)
        applyParameter(index, requested[index].load(std::memory_order_relaxed));
    turn.leave();
}

bool Doxaro::runSettingsPass()
{
    if (pendingMask.load(std::memory_order_seq_cst) == 0 && pendingJobs.load(std::memory_order_seq_cst) == 0)
        return false;
    const WriterScope scope(*this);
    applyPending();
    return true;
}

void Doxaro::applyPending()
{
    // The bits are cleared before the values are read: a value set after its
    // read sets its bit again and is applied by the next pass.
    std::uint64_t pending = pendingMask.exchange(0, std::memory_order_seq_cst);
    const unsigned jobs = pendingJobs.exchange(0, std::memory_order_seq_cst);
    // The cabinet responses are rebuilt once for all the values, not once for
    // every cabinet setting that differs.
    chain.cabinet().deferRebuilds();
    while (pending != 0) {
        const int index = std::countr_zero(pending);
        pending &= pending - 1;
        applyParameter(index, requested[index].load(std::memory_order_relaxed));
    }
    chain.cabinet().finishDeferred();
    if ((jobs & kReloadResponse) != 0)
        reloadUserResponse();
}

void Doxaro::waitForSettings()
{
    worker.waitForPass();
}

float Doxaro::getParameter(vst::VstInt32 index)
{
    if (index < 0 || index >= param::Count)
        return 0.0f;
    return requested[index].load(std::memory_order_acquire);
}

void Doxaro::getParameterName(vst::VstInt32 index, char* text)
{
    // Several names are longer than the classic 8 characters; they are given whole.
    copyString(text, index >= 0 && index < param::Count ? param::kNames[index] : "", vst::kVstExtMaxParamStrLen);
}

void Doxaro::getParameterLabel(vst::VstInt32, char* label)
{
    copyString(label, "", vst::kVstMaxParamStrLen);
}

void Doxaro::getParameterDisplay(vst::VstInt32 index, char* text)
{
    if (index < 0 || index >= param::Count) {
        copyString(text, "", vst::kVstMaxParamStrLen);
        return;
    }
    float2string(getParameter(index), text, vst::kVstMaxParamStrLen);
}

void Doxaro::applyParameter(int index, float v)
{
    currentRecord().params[index] = v;
    values[index] = v;
    // Switches are engaged at exactly 0.
    const bool engaged = v == 0.0f;

    switch (index) {
    case param::Bypass:
        chain.setBypassed(engaged);
        break;
    case param::InputChannel:
        chain.setInputMode(v < 0.3f ? 0 : (v < 0.6f ? 1 : 2));
        break;
    case param::Input:
        chain.setInputGain(v);
        break;
    case param::Output:
        chain.setOutputGain(v);
        break;
    case param::GateOnOff:
        chain.gate().setEnabled(engaged);
        break;
    case param::GateThreshold:
        chain.gate().setThreshold(v);
        break;
    case param::GateAttack:
        chain.gate().setAttack(v);
        break;
    case param::GateDecay:
        chain.gate().setDecay(v);
        break;
    case param::HighRes:
        chain.setAntiAliasing(engaged, sampleRate);
        break;
    case param::AmpOnOff:
        for (int model = 0; model < kNumAmpModels; ++model)
            chain.amp(model).setEnabled(engaged);
        break;
    case param::AmpType:
    case param::AmpChannel:
        selectModel();
        // Restarts the channel on every write of type or channel, even when the model stays.
        chain.activateModel();
        break;
    case param::AmpGain:
    case param::AmpLow:
    case param::AmpMid:
    case param::AmpHigh:
    case param::AmpPresence:
    case param::AmpMaster: {
        // Every channel keeps the knob; only the one that is playing recomputes.
        const auto knob = static_cast<AmpKnob>(index - param::AmpGain);
        const int selected = chain.model();
        for (int model = 0; model < kNumAmpModels; ++model)
            chain.amp(model).setKnob(knob, v, model == selected);
        break;
    }
    case param::FxOnOff:
        chain.tremolo().setEnabled(engaged);
        chain.spring().setEnabled(engaged);
        break;
    case param::TremoloSync:
        chain.tremolo().setSync(engaged);
        break;
    case param::TremoloSpeed:
        chain.tremolo().setSpeed(v);
        break;
    case param::TremoloDepth:
        chain.tremolo().setDepth(v);
        break;
    case param::Reverb:
        chain.spring().setAmount(v);
        break;
    case param::CabType:
        // A new mode rebuilds the cabinet responses; the user response follows.
        if (chain.setCabinetMode(v))
            reloadUserResponse();
        break;
    case param::CabBlend:
        chain.cabinet().setBlend(v);
        break;
    case param::LimiterOnOff:
        chain.setLimiterEngaged(engaged);
        chain.limiter().setEnabled(engaged);
        if (engaged)
            chain.clip().clear();
        break;
    default: {
        // The nine settings of cabinet slot 1 (23..31) and slot 2 (32..40), in the same order.
        const int slot = index >= param::Cab2OnOff ? 1 : 0;
        const int setting = index - (slot == 0 ? param::Cab1OnOff : param::Cab2OnOff);
        if (setting == 0)
            chain.setCabinetSlotOn(slot, engaged);
        chain.cabinet().setSlot(slot, static_cast<SlotSetting>(setting), v);
        break;
    }
    }

    chain.setCleanStereo(values[param::GateOnOff] != 0.0f && values[param::AmpOnOff] != 0.0f);
    if (editor != nullptr)
        editor->setParameter(index, v);
}

void Doxaro::selectModel()
{
    // Families by "Amp Type": MV up to 0.33, BKVG up to 0.66, JC above;
    // the clean channel up to "Amp Channel" 0.5, the lead channel above.
    const float type = values[param::AmpType];
    const float channel = values[param::AmpChannel];
    const int family = type <= 0.33f ? 0 : (type <= 0.66f ? 2 : 4);
    chain.setModel(family + (channel <= 0.5f ? 0 : 1));
}

// Doxaro: the parameter table. Each parameter value is stored in the current
// program and in the engine copy, then turned into the settings of the blocks.

#include <algorithm>
#include <bit>
#include <cmath>

#include "plugin/Doxaro.h"

void Doxaro::setParameter(vst::VstInt32 index, float value)
{
    if (index < 0 || index >= param::Count || !std::isfinite(value))
        return;
    // The value is published before the bit; whoever clears the bit reads the value after it.
    requested[index].store(std::clamp(value, 0.0f, 1.0f), std::memory_order_relaxed);
    pendingMask.fetch_or(std::uint64_t{1} << index, std::memory_order_seq_cst);
    // Busy: the writer that holds the turn applies the value before it leaves.
    if (turn.tryEnter())
        leaveTurn();
}

void Doxaro::leaveTurn()
{
    do {
        applyRequested();
        turn.leave();
        // A value whose setter found the turn taken after the look above is
        // still pending: take the turn again unless another writer has it.
    } while (pendingMask.load(std::memory_order_seq_cst) != 0 && turn.tryEnter());
}

void Doxaro::applyRequested()
{
    // The bits are cleared before the values are read: a value set after its
    // read sets its bit again and is applied by the next look.
    std::uint64_t pending = pendingMask.exchange(0, std::memory_order_seq_cst);
    while (pending != 0) {
        const int index = std::countr_zero(pending);
        pending &= pending - 1;
        applyParameter(index, requested[index].load(std::memory_order_relaxed));
    }
}

float Doxaro::getParameter(vst::VstInt32 index)
{
    if (index < 0 || index >= param::Count)
        return 0.0f;
    if ((pendingMask.load(std::memory_order_acquire) >> index & 1) != 0)
        return requested[index].load(std::memory_order_relaxed);
    return values[index];
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
        bypassed = engaged;
        break;
    case param::InputChannel:
        inputMode = v < 0.3f ? 0 : (v < 0.6f ? 1 : 2);
        break;
    case param::Input:
    case param::Output:
        // Read by the driver straight from the engine copy.
        break;
    case param::GateOnOff:
        gate.setEnabled(engaged);
        break;
    case param::GateThreshold:
        gate.setThreshold(v);
        break;
    case param::GateAttack:
        gate.setAttack(v);
        break;
    case param::GateDecay:
        gate.setDecay(v);
        break;
    case param::HighRes:
        antiAliasing = engaged;
        applyOversampling();
        break;
    case param::AmpOnOff:
        for (AmpChannel* amp : amps)
            amp->enabled = engaged;
        break;
    case param::AmpType:
    case param::AmpChannel:
        selectModel();
        resetModel();
        break;
    case param::AmpGain:
    case param::AmpLow:
    case param::AmpMid:
    case param::AmpHigh:
    case param::AmpPresence:
    case param::AmpMaster: {
        // Every channel keeps the knob; only the one that is playing recomputes.
        const auto knob = static_cast<AmpKnob>(index - param::AmpGain);
        const int selected = modelIndex;
        for (int model = 0; model < kNumAmpModels; ++model)
            amps[model]->setKnob(knob, v, model == selected);
        break;
    }
    case param::FxOnOff:
        tremolo.setFxEnabled(engaged);
        spring.setFxEnabled(engaged);
        break;
    case param::TremoloSync:
        tremolo.setSync(engaged);
        break;
    case param::TremoloSpeed:
        tremolo.setSpeed(v);
        break;
    case param::TremoloDepth:
        tremolo.setDepth(v);
        break;
    case param::Reverb:
        spring.setAmount(v);
        break;
    case param::CabType: {
        const bool stereo = v != 0.0f;
        stereoCabinet = stereo;
        cabinet.setStereo(stereo);
        userResponse.setStereo(stereo);
        if (!(v == lastApplied[index])) {
            cabinet.rebuild();
            reloadUserResponse();
            lastApplied[index] = v;
        }
        break;
    }
    case param::CabBlend:
        cabinet.setBlend(v);
        cabinetCheck(index, v);
        break;
    case param::LimiterOnOff:
        limiter.enabled = engaged;
        if (engaged)
            clip.clear();
        break;
    default: {
        // The nine settings of cabinet slot 1 (23..31) and slot 2 (32..40), in the same order.
        const int slot = index >= param::Cab2OnOff ? 1 : 0;
        const int setting = index - (slot == 0 ? param::Cab1OnOff : param::Cab2OnOff);
        if (setting == 0)
            (slot == 0 ? cab1On : cab2On) = engaged;
        cabinet.setSlot(slot, static_cast<SlotSetting>(setting), v);
        cabinetCheck(index, v);
        break;
    }
    }

    cleanStereo = values[param::GateOnOff] != 0.0f && values[param::AmpOnOff] != 0.0f;
    if (editor != nullptr)
        editor->setParameter(index, v);
}

void Doxaro::cabinetCheck(int index, float value)
{
    // Rebuilding the responses is costly; writing an unchanged value (as every
    // program change does) costs nothing. A NaN on either side counts as a change.
    if (value == lastApplied[index])
        return;
    cabinet.rebuild();
    lastApplied[index] = value;
}

void Doxaro::applyOversampling()
{
    const float hostRate = sampleRate;
    const bool doubled = values[param::HighRes] == 0.0f;
    const float blockRate = doubled ? hostRate * 2.0f : hostRate;
    oversampling = doubled ? 2 : 1;
    for (ChebyFilter* filter : {&preFilter1, &preFilter2, &postFilter1, &postFilter2}) {
        filter->setSampleRate(blockRate);
        filter->selectCoefficients();
    }
    for (AmpChannel* amp : amps)
        amp->setSampleRate(blockRate);
}

void Doxaro::selectModel()
{
    // Families by "Amp Type": MV up to 0.33, BKVG up to 0.66, JC above;
    // the clean channel up to "Amp Channel" 0.5, the lead channel above.
    const float type = values[param::AmpType];
    const float channel = values[param::AmpChannel];
    const int family = type <= 0.33f ? 0 : (type <= 0.66f ? 2 : 4);
    modelIndex = family + (channel <= 0.5f ? 0 : 1);
}

void Doxaro::resetModel()
{
    // Runs on every write of type or channel, even when the model stays.
    amps[modelIndex]->activate();
}

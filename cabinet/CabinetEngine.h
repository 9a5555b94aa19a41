#pragma once

// PLACEHOLDER until the cabinet engine lands: passes the sample through.
// Contract (parameter thread, serialised by the shell, or while stopped):
// setStereo, setBlend and setSlot store settings without rebuilding; the
// shell calls rebuild() when a value differs from the one last applied.
// setSampleRate(r) at resume rebuilds; clear() on suspend. processMono and
// processStereo run on the audio thread.
enum class SlotSetting { Off, Cabinet, Microphone, Axis, Position, Distance, Phase, Volume, Pan };

class CabinetEngine {
public:
    void setStereo(bool) {}
    void setBlend(float) {}
    void setSlot(int /*slot 0 or 1*/, SlotSetting, float /*normalised value*/) {}
    void rebuild() {}
    void setSampleRate(float) {}
    void clear() {}
    void processMono(double&) {}
    void processStereo(double&, double&) {}
};

#pragma once

#include "dsp/CommonBase.h"

// PLACEHOLDER until the tremolo lands: passes the sample through.
// Contract: setSampleRate(r) at resume; setSpeed(v) with the "Tremolo Speed"
// value; setTempo(bpm) stores a tempo (the caller has validated it and calls
// setSpeed afterwards); setSync(on) also re-applies the last speed;
// setFxEnabled/setDepth keep `active` up to date; lastSpeed() is the last
// value given to setSpeed.
class Tremolo final : public CommonBase {
public:
    void setSpeed(float) {}
    void setTempo(double) {}
    void setSync(bool) {}
    void setFxEnabled(bool) {}
    void setDepth(float) {}
    float lastSpeed() const { return 0.0f; }
    void process(SampleFrame*) override {}
};

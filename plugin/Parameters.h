#pragma once

// The plug-in's 44 automatable parameters: their indices and host names. Every
// value is a normalised float 0..1. On/off switches are engaged at exactly 0.
namespace param {

enum Index : int {
    Bypass,          // 0 = bypassed
    InputChannel,    // < 0.3 left, < 0.6 right, else left + right
    Input,           // input gain, linear
    GateOnOff,       // 0 = gate on
    GateThreshold,
    GateAttack,
    GateDecay,
    HighRes,         // 0 = amplifier section oversampled twice
    AmpOnOff,        // 0 = amplifier on
    AmpType,         // <= 0.33 MV, <= 0.66 BKVG, else JC
    AmpChannel,      // <= 0.5 clean, else lead
    AmpGain,
    AmpLow,
    AmpMid,
    AmpHigh,
    AmpPresence,
    AmpMaster,
    FxOnOff,         // 0 = tremolo and reverb on
    TremoloSync,     // 0 = locked to the host tempo
    TremoloSpeed,
    TremoloDepth,
    Reverb,
    CabType,         // 0 = mono cabinet section, else stereo
    Cab1OnOff,       // first of the nine settings of cabinet slot 1
    Cab1Type,
    Mic1Type,
    Mic1Axis,
    Mic1Pos,
    Mic1Distance,
    Mic1Phase,       // 0 = polarity inverted
    Mic1Volume,
    Mic1Panning,
    Cab2OnOff,       // first of the nine settings of cabinet slot 2
    Cab2Type,
    Mic2Type,
    Mic2Axis,
    Mic2Pos,
    Mic2Distance,
    Mic2Phase,
    Mic2Volume,
    Mic2Panning,
    CabBlend,        // "1 <--> 2": 0 = cabinet 1 only, 1 = cabinet 2 only
    Output,          // output gain, linear
    LimiterOnOff,    // 0 = limiter on
    Count
};

// Settings per cabinet slot, from "Cab n On/Off" to "Mic n Panning".
constexpr int kSlotSettings = Cab2OnOff - Cab1OnOff;

// The names the host shows, in index order.
constexpr const char* kNames[Count] = {
    "Bypass",         "Input Channel", "Input",         "Gate On/Off",    "Gate Threshold", "Gate Attack",
    "Gate Decay",     "High Res.",     "Amp On / Off",  "Amp Type",       "Amp Channel",    "Amp Gain",
    "Amp Low",        "Amp Mid",       "Amp High",      "Amp Presence",   "Amp Master",     "FX On / Off",
    "Tremolo Sync",   "Tremolo Speed", "Tremolo Depth", "Reverb",         "CAB type",       "Cab 1 On/Off",
    "Cab 1 Type",     "Mic 1 Type",    "Mic 1 Axis",    "Mic 1 Pos",      "Mic 1 Distance", "Mic 1 Phase",
    "Mic 1 Volume",   "Mic 1 Panning", "Cab 2 On/Off",  "Cab 2 Type",     "Mic 2 Type",     "Mic 2 Axis",
    "Mic 2 Pos",      "Mic 2 Distance", "Mic 2 Phase",  "Mic 2 Volume",   "Mic 2 Panning",  "1 <--> 2",
    "Output",         "Limiter On/Off",
};

// True for the indices whose changes rebuild the cabinet responses.
constexpr bool isCabinetParameter(int index) { return index >= CabType && index <= CabBlend; }

} // namespace param

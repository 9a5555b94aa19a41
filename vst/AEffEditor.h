#pragma once

#include "vst/VstInterface.h"

namespace vst {

// A key press as the host reports it to effEditKeyDown / effEditKeyUp.
struct VstKeyCode {
    VstInt32 character;      // ASCII character, 0 if none
    unsigned char virt;      // virtual key code, 0 if none
    unsigned char modifier;  // modifier key bits
};

// The plug-in's editor as the shell sees it: the window opcodes are forwarded
// here, and the shell tells it about every parameter change so that its
// controls follow. A concrete editor derives from this class.
//
// Threads: getRect, open, close, idle and the key handlers run on the host's
// user-interface thread. setParameter() runs on whichever thread changed the
// parameter, while that thread holds the shell's writers' turn: it must not
// call back into the shell's writer entry points.
class AEffEditor {
public:
    AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;
    virtual ~AEffEditor() = default;

    // Points *rect at the window's rectangle; false when there is none.
    virtual bool getRect(ERect** rect)
    {
        *rect = nullptr;
        return false;
    }
    // Opens the editor inside the host's parent window.
    virtual bool open(void* parentWindow)
    {
        systemWindow = parentWindow;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual void idle() {}
    // Key handlers answer true when they used the key.
    virtual bool onKeyDown(VstKeyCode&) { return false; }
    virtual bool onKeyUp(VstKeyCode&) { return false; }
    // Knob behaviour requested by the host (0 circular, 1 relative circular, 2 linear).
    virtual bool setKnobMode(VstInt32) { return false; }
    // A parameter changed: the matching control follows (index 0..numParams-1).
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    // State above the parameters changed: which program is current, a
    // program's name, the current program's editor flags or its response
    // (path or load outcome). Called like setParameter, from any thread.
    virtual void programStateChanged() {}

    bool isOpen() const { return systemWindow != nullptr; }

protected:
    void* systemWindow = nullptr; // host's parent window while open, else null (UI thread)
};

} // namespace vst

#pragma once

namespace gui {

class Control;

// Hears what the user does to controls (the editor). Called on the
// user-interface thread, from inside the frame's event handling.
class ControlListener {
public:
    virtual ~ControlListener() = default;
    // The user changed the control's value (not called for setValue()).
    virtual void valueChanged(Control& control) = 0;
    // A gesture starts / ends: a drag, a click, a wheel turn, a menu choice.
    // Every valueChanged() of a gesture lies between the two.
    virtual void beginEdit(Control&) {}
    virtual void endEdit(Control&) {}
};

} // namespace gui

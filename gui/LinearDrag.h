#pragma once

#include "gui/MouseEvent.h"

namespace gui {

// Turns the pointer's travel along one axis into a value change, measured
// from where the drag started rather than summed from motion events, so a
// host that delivers motion in bursts loses nothing. Shift makes it
// kFineFactor times finer; when Shift is pressed or released mid-drag, a new
// segment starts at the current point and value, so the value never jumps.
class LinearDrag {
public:
    static constexpr float kFineFactor = 10.0f; // Shift: that many times finer

    // A drag starts at pointer coordinate `position` with the control at `value`.
    void start(int position, float value, bool fine)
    {
        anchor_ = position;
        anchorValue_ = value;
        fine_ = fine;
        active_ = true;
    }
    void stop() { active_ = false; }
    bool active() const { return active_; }

    // The value for the pointer at `position`; `pixelsPerRange` pixels span
    // the whole range 0..1 without Shift. `current` is the value reached so far.
    float valueAt(int position, bool fine, float current, float pixelsPerRange)
    {
        if (fine != fine_) {
            fine_ = fine;
            anchor_ = position;
            anchorValue_ = current;
        }
        const float range = fine_ ? pixelsPerRange * kFineFactor : pixelsPerRange;
        return anchorValue_ + float(position - anchor_) / range;
    }

    // The value change of a wheel turn: `step` per notch, finer with Shift.
    static float wheelDelta(const MouseEvent& e, float step)
    {
        return e.wheel * (e.shift() ? step / kFineFactor : step);
    }

private:
    int anchor_ = 0;           // pointer coordinate where the current segment started
    float anchorValue_ = 0.0f; // value then
    bool fine_ = false;        // Shift held in this segment
    bool active_ = false;      // between press and release
};

} // namespace gui

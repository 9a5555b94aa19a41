#pragma once

#include "gui/Control.h"
#include "gui/LinearDrag.h"

namespace gui {

// A knob turned by dragging the mouse up (more) and down (less) in a straight
// line, the linear knob mode: kDragRange pixels span the whole range, ten
// times as many with Shift held. The drag is measured from where it started
// (again from the current point when Shift is pressed or released), so a
// host that delivers motion in bursts loses nothing. The mouse wheel moves
// the value by kWheelStep a notch (a tenth with Shift). Double-click or
// Ctrl+click restores the default value.
//
// Knob itself draws only its background bitmap; AnimKnob draws a film strip.
class Knob : public Control {
public:
    static constexpr float kDragRange = 200.0f;  // pixels for the full range
    static constexpr float kFineFactor = LinearDrag::kFineFactor; // Shift: that many times finer
    static constexpr float kWheelStep = 0.02f;   // value change per wheel notch

    using Control::Control;

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CKnob" || Control::isTypeOf(name);
    }

    MouseResult onMouseDown(const MouseEvent& e) override;
    void onMouseMoved(const MouseEvent& e) override;
    void onMouseUp(const MouseEvent& e) override;
    void onMouseCancelled() override;
    bool onWheel(const MouseEvent& e) override;

private:
    void dragTo(const MouseEvent& e);

    LinearDrag drag_; // the drag in progress (upwards is positive)
};

} // namespace gui

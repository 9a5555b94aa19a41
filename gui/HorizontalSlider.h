#pragma once

#include "gui/Control.h"
#include "gui/LinearDrag.h"

namespace gui {

// A slider whose handle bitmap moves left and right. The handle's left edge
// travels from minX to maxX (container coordinates, like the rectangle):
// value 0 puts it at minX, value 1 at maxX. The handle is centred vertically.
//
// Pressing the handle grabs it where it was hit; pressing beside it first
// brings the handle's centre under the pointer. Dragging is measured from
// where it started (anew when Shift changes; Shift is ten times finer).
// Double-click or Ctrl+click restores the default value; the wheel steps.
class HorizontalSlider : public Control {
public:
    static constexpr float kFineFactor = LinearDrag::kFineFactor; // Shift: that many times finer
    static constexpr float kWheelStep = 0.02f;  // value change per wheel notch

    HorizontalSlider(const Rect& size, ControlListener* listener, int tag, int minX, int maxX,
                     const Bitmap& handle, const Bitmap& background = {});

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CHorizontalSlider" || name == "CSlider" || Control::isTypeOf(name);
    }

    // The handle's rectangle for the current value (container coordinates).
    Rect handleRect() const;

    void draw(Painter& painter) override;
    MouseResult onMouseDown(const MouseEvent& e) override;
    void onMouseMoved(const MouseEvent& e) override;
    void onMouseUp(const MouseEvent& e) override;
    void onMouseCancelled() override;
    bool onWheel(const MouseEvent& e) override;

private:
    float travel() const; // pixels between the two ends, at least 1
    void dragTo(const MouseEvent& e);

    int minX_;                 // handle's left edge at value 0
    int maxX_;                 // handle's left edge at value 1
    Bitmap handle_;            // the moving picture
    LinearDrag drag_;          // the drag in progress
};

} // namespace gui

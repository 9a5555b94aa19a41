#pragma once

#include "gui/Control.h"

namespace gui {

// A push button from a bitmap of two pictures stacked vertically (released
// above, pressed below). A press reports the value 1, the release inside the
// button reports 0: a listener acts when the value falls back below 0.5.
// Dragged off the button it shows released; released there, the press is
// cancelled: the value returns to 0 without a report, so nothing is done.
class KickButton : public Control {
public:
    KickButton(const Rect& size, ControlListener* listener, int tag, const Bitmap& bitmap);

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CKickButton" || Control::isTypeOf(name);
    }

    int currentFrame() const { return value() >= 0.5f ? 1 : 0; }

    void draw(Painter& painter) override;
    MouseResult onMouseDown(const MouseEvent& e) override;
    void onMouseMoved(const MouseEvent& e) override;
    void onMouseUp(const MouseEvent& e) override;
    // A cancelled press is one released off the button: nothing is done.
    void onMouseCancelled() override;

private:
    bool pressed_ = false; // between press and release
    bool inside_ = false;  // pointer over the button during the press
};

} // namespace gui

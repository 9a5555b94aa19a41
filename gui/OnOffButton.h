#pragma once

#include "gui/Control.h"

namespace gui {

// A two-state button from a bitmap of two pictures stacked vertically: the
// upper one shown while the value is 0, the lower one for any other value. A
// click toggles between 0 and 1. (Any value but 0 counts as the second state,
// so a value set from outside always shows the state it means to a switch
// that is engaged at exactly 0.)
class OnOffButton : public Control {
public:
    OnOffButton(const Rect& size, ControlListener* listener, int tag, const Bitmap& bitmap);

    bool isTypeOf(std::string_view name) const override
    {
        return name == "COnOffButton" || Control::isTypeOf(name);
    }

    // 0: upper picture, 1: lower picture.
    int currentFrame() const { return value() == 0.0f ? 0 : 1; }

    void draw(Painter& painter) override;
    MouseResult onMouseDown(const MouseEvent& e) override;
};

} // namespace gui
